#include "platform/linux/RegFile.h"
#include "platform/Win32Constants.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

std::vector<std::uint8_t> sz(const std::string& text)
{
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

RegHive sampleHive()
{
    RegHive hive { "HKEY_CURRENT_USER", {} };
    hive.createKey("").setValue("", w32::RegSz, sz("the root's own value"));
    RegKey& run = hive.createKey("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    run.setValue("Vespern", w32::RegSz, sz("/opt/ves \"pern\"\\bin/vespern"));
    run.setValue("", w32::RegSz, sz("default"));
    RegKey& policies = hive.createKey("Software\\Policies");
    policies.setValue("NoClose", w32::RegDword, { 1, 0, 0, 0 });
    policies.setValue("Path", w32::RegExpandSz, sz("%HOME%/caf\xC3\xA9 \xF0\x9F\x98\x80"));
    policies.setValue("Blob", w32::RegBinary, std::vector<std::uint8_t>(70, 0xAB));
    policies.setValue("Multi", 7, { 'a', 0, 'b', 0, 0 });
    policies.setValue("Empty", w32::RegBinary, {});
    policies.setValue("Odd text", w32::RegSz, { 'a', '\n', 'b' }); // no zero, a line break
    policies.setValue("Short dword", w32::RegDword, { 1, 2 });
    return hive;
}

TEST(RegFile, WhatIsWrittenReadsBackTheSame)
{
    const RegHive hive = sampleHive();
    const std::string text = SerialiseRegFile(hive);
    const RegParseResult parsed = ParseRegFile(text, "HKEY_CURRENT_USER");
    ASSERT_TRUE(parsed.ok) << parsed.error << "\n" << text;
    EXPECT_EQ(parsed.hive, hive);
    EXPECT_EQ(SerialiseRegFile(parsed.hive), text);
}

TEST(RegFile, UsesTheRegistryEditorExportForm)
{
    const std::string text = SerialiseRegFile(sampleHive());
    EXPECT_TRUE(
        text.starts_with("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER]\n@=\"the root's own value\"\n\n"
                         "[HKEY_CURRENT_USER\\Software]\n"));
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
                        "\"Vespern\"=\"/opt/ves \\\"pern\\\"\\\\bin/vespern\"\n@=\"default\"\n"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("\"NoClose\"=dword:00000001\n"), std::string::npos);
    // Expandable text as UTF-16LE bytes, zero included.
    EXPECT_NE(text.find("\"Path\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,2f,00,63,00,61,00,66,00,e9,\\\n"
                        "  00,20,00,3d,d8,00,de,00,00\n"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("\"Multi\"=hex(7):61,00,62,00,00\n"), std::string::npos);
    EXPECT_NE(text.find("\"Empty\"=hex:\n"), std::string::npos);
    EXPECT_NE(text.find("\"Short dword\"=hex(4):01,02\n"), std::string::npos);
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
}

TEST(RegFile, ReadsWhatPeopleAndTheSystemWrite)
{
    const std::string text = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n; a comment\r\n"
                             "[hkey_current_user\\A\\B]\r\n\"x\"=dword:0000000A\r\n\"y\"=hex:01, 02 ,\\\r\n   03\r\n"
                             "[HKEY_CURRENT_USER\\a\\b]\r\n\"X\"=\"again\"\r\n";
    const RegParseResult parsed = ParseRegFile(text, "HKEY_CURRENT_USER");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    RegHive hive = parsed.hive;
    RegKey* key = hive.findKey("A\\B");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values.size(), 2u);
    EXPECT_EQ(key->values[0].name, "x"); // first spelling kept
    EXPECT_EQ(key->values[0].data, sz("again"));
    EXPECT_EQ(key->values[1].data, (std::vector<std::uint8_t> { 1, 2, 3 }));
    EXPECT_TRUE(hive.keyExists("a"));
    EXPECT_FALSE(hive.keyExists("A\\Bc"));
}

TEST(RegFile, RejectsMalformedText)
{
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "", "empty" },
        { "REGEDIT4\n", "no header" },
        { header + "\"a\"=\"b\"\n", "value before key" },
        { header + "[HKEY_LOCAL_MACHINE\\A]\n", "other root" },
        { header + "[HKEY_CURRENT_USER\\A\n", "open section" },
        { header + "[HKEY_CURRENT_USER\\A\\\\B]\n", "empty part" },
        { header + "[HKEY_CURRENT_USER\\\\A]\n", "leading separator" },
        { header + "[HKEY_CURRENT_USER\\]\n", "trailing separator" },
        { header + "[HKEY_CURRENT_USER\\A]\n\"a\"=\"b\n", "open text" },
        { header + "[HKEY_CURRENT_USER\\A]\n\"a\"=\"b\\n\"\n", "unknown escape" },
        { header + "[HKEY_CURRENT_USER\\A]\n\"a\"=dword:123456789\n", "long dword" },
        { header + "[HKEY_CURRENT_USER\\A]\n\"a\"=hex:1,02\n", "short byte" },
        { header + "[HKEY_CURRENT_USER\\A]\n\"a\"=hex:01,\\\n", "continued past the end" },
        { header + "[HKEY_CURRENT_USER\\A]\n\"a\"=hex(2):41\n", "odd utf-16" },
        { header + "[HKEY_CURRENT_USER\\A]\n\"a\"=hex(zz):41\n", "bad type" },
        { header + "[HKEY_CURRENT_USER\\A]\n\"a\"=-\n", "deletion" },
        { header + "[HKEY_CURRENT_USER\\A]\n\"\"=\"x\"\n", "empty quoted name" },
    };
    for (const auto& [text, what] : cases) {
        const RegParseResult parsed = ParseRegFile(text, "HKEY_CURRENT_USER");
        EXPECT_FALSE(parsed.ok) << what;
        EXPECT_TRUE(parsed.error.starts_with("line ")) << what << ": " << parsed.error;
    }
}

} // namespace
} // namespace vespern::test
