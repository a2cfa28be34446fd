#include "platform/linux/registry/RegFile.h"
#include "platform/Win32Constants.h"

#include <gtest/gtest.h>

#include <algorithm>

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
    RegHive hive("HKEY_CURRENT_USER");
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

RegParseResult parse(const std::string& text)
{
    return ParseRegFile(text, "HKEY_CURRENT_USER");
}

// Written out and read back, a file must give the same hive and the same text again.
void expectStable(const RegParseResult& parsed)
{
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    const std::string written = SerialiseRegFile(parsed.hive);
    const RegParseResult again = parse(written);
    ASSERT_TRUE(again.ok()) << again.error;
    EXPECT_TRUE(again.hive == parsed.hive) << written;
    EXPECT_EQ(again.problemCount, parsed.problemCount) << written;
    EXPECT_EQ(SerialiseRegFile(again.hive), written);
}

std::string utf16Le(const std::string& ascii)
{
    std::string out = "\xFF\xFE";
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

TEST(RegFile, WhatIsWrittenReadsBackTheSame)
{
    const RegHive hive = sampleHive();
    const std::string text = SerialiseRegFile(hive);
    const RegParseResult parsed = parse(text);
    ASSERT_TRUE(parsed.ok()) << parsed.error << "\n" << text;
    EXPECT_EQ(parsed.problemCount, 0u);
    EXPECT_TRUE(parsed.hive == hive);
    EXPECT_EQ(SerialiseRegFile(parsed.hive), text);
}

TEST(RegFile, UsesTheRegistryEditorExportForm)
{
    const std::string text = SerialiseRegFile(sampleHive());
    EXPECT_TRUE(text.starts_with("REGEDIT4\n\n[HKEY_CURRENT_USER]\n@=\"the root's own value\"\n\n"
                                 "[HKEY_CURRENT_USER\\Software]\n"));
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
                        "\"Vespern\"=\"/opt/ves \\\"pern\\\"\\\\bin/vespern\"\n@=\"default\"\n"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("\"NoClose\"=dword:00000001\n"), std::string::npos);
    // A new file is in the version 4 form: expandable text in the file's own characters, zero
    // included, as registry editors read an 8-bit file.
    EXPECT_NE(text.find("\"Path\"=hex(2):25,48,4f,4d,45,25,2f,63,61,66,c3,a9,20,f0,9f,98,80,00\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\"Multi\"=hex(7):61,00,62,00,00\n"), std::string::npos);
    EXPECT_NE(text.find("\"Empty\"=hex:\n"), std::string::npos);
    EXPECT_NE(text.find("\"Short dword\"=hex(4):01,02\n"), std::string::npos);
    for (std::size_t start = 0, end = 0; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
}

// The same settings in every form the registry editor reads and writes.
TEST(RegFile, ReadsEveryFormOfTheRegistryEditor)
{
    const std::string vespern = "[HKEY_CURRENT_USER\\Software\\Vespern]\n"
                                "\"text\" = \"a \\\"quoted\\\" C:\\\\path\" ; why it is set\n"
                                "@=\"default\"\n"
                                "\"number\"=dword:0000002a\n"
                                "\"bytes\"=hex:01,02,\\\n"
                                "  03,ff\n"
                                "\"gone\"=\"soon\"\n"
                                "\"gone\"=-\n";
    const std::string old = "[HKEY_CURRENT_USER\\Software\\Old]\n"
                            "\"x\"=\"1\"\n"
                            "[-HKEY_CURRENT_USER\\Software\\Old]\n";
    const std::string body5 = vespern + "\"path\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00\n" + old;
    const std::string body4 = vespern + "\"path\"=hex(2):25,48,4f,4d,45,25,00\n" + old;
    // CRLF on every line, or on every other one.
    auto crlf = [](const std::string& text, int every) {
        std::string out;
        int line = 0;
        for (const char c : text) {
            if (c == '\n' && line++ % every == 0)
                out += '\r';
            out += c;
        }
        return out;
    };
    const std::string v5 = "Windows Registry Editor Version 5.00\n\n";
    const std::vector<std::pair<std::string, std::string>> forms = {
        { "export: UTF-16LE with a byte-order mark, CRLF", utf16Le(crlf(v5 + body5, 1)) },
        { "UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + v5 + body5 },
        { "UTF-8, LF", v5 + body5 },
        { "UTF-8, mixed line ends", crlf(v5 + body5, 2) },
        { "REGEDIT4, CRLF", crlf("REGEDIT4\n\n" + body4, 1) },
    };
    for (const auto& [form, bytes] : forms) {
        SCOPED_TRACE(form);
        const RegParseResult parsed = ParseRegFile(bytes, "HKEY_CURRENT_USER");
        ASSERT_TRUE(parsed.ok()) << parsed.error;
        EXPECT_EQ(parsed.problemCount, 0u) << parsed.problems.front().reason;
        const RegKey* key = parsed.hive.findKey("software\\VESPERN");
        ASSERT_NE(key, nullptr);
        const RegValue* text = key->findValue("TEXT");
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->data, sz("a \"quoted\" C:\\path"));
        EXPECT_EQ(text->comment, " ; why it is set");
        EXPECT_EQ(key->findValue("")->data, sz("default"));
        EXPECT_EQ(key->findValue("number")->type, w32::RegDword);
        EXPECT_EQ(key->findValue("number")->data, (std::vector<std::uint8_t> { 42, 0, 0, 0 }));
        EXPECT_EQ(key->findValue("bytes")->data, (std::vector<std::uint8_t> { 1, 2, 3, 0xFF }));
        EXPECT_EQ(key->findValue("path")->type, w32::RegExpandSz);
        EXPECT_EQ(key->findValue("path")->data, sz("%HOME%"));
        EXPECT_EQ(key->findValue("gone"), nullptr);
        EXPECT_FALSE(parsed.hive.keyExists("Software\\Old"));
        expectStable(parsed);
        // Written back as it was, deletions included: they may delete what a later import of
        // the file into the system registry still has.
        EXPECT_EQ(SerialiseRegFile(parsed.hive), bytes);
    }
}

// Each form is written back in that form, also with lines changed and added: encoding and
// byte-order mark, line ends, version.
TEST(RegFile, EachFormStaysItsOwnThroughAChange)
{
    const std::string body = "[HKEY_CURRENT_USER\\K]\n\"text\"=\"old\"\n\"keep\" = \"as written\"\n";
    auto crlf = [](std::string text) {
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
            text.insert(at, "\r");
        return text;
    };
    const std::string v5 = "Windows Registry Editor Version 5.00\n\n";
    const std::string v4 = "REGEDIT4\n\n";
    struct Form {
        const char* name;
        std::string bytes;
        RegFileForm form;
    };
    using E = RegFileForm::Encoding;
    const std::vector<Form> forms = {
        { "UTF-16LE, CRLF", utf16Le(crlf(v5 + body)), { E::Utf16Le, true, false } },
        { "UTF-16LE, LF", utf16Le(v5 + body), { E::Utf16Le, false, false } },
        { "UTF-8 with a byte-order mark, CRLF", "\xEF\xBB\xBF" + crlf(v5 + body), { E::Utf8WithMark, true, false } },
        { "UTF-8, LF", v5 + body, { E::Utf8, false, false } },
        { "REGEDIT4, CRLF", crlf(v4 + body), { E::Utf8, true, true } },
        { "REGEDIT4, LF, no last line end", v4 + body.substr(0, body.size() - 1), { E::Utf8, false, true } },
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(form.name);
        RegParseResult parsed = ParseRegFile(form.bytes, "HKEY_CURRENT_USER");
        ASSERT_TRUE(parsed.ok()) << parsed.error;
        EXPECT_EQ(parsed.hive.form(), form.form);
        EXPECT_EQ(SerialiseRegFile(parsed.hive), form.bytes) << "unchanged, byte for byte";

        parsed.hive.findKey("K")->setValue("text", w32::RegSz, sz("new"));
        parsed.hive.findKey("K")->setValue("added", w32::RegDword, { 7, 0, 0, 0 });
        parsed.hive.createKey("Fresh").setValue("path", w32::RegExpandSz, sz("%HOME%\\x"));
        const std::string written = SerialiseRegFile(parsed.hive);
        const RegParseResult again = ParseRegFile(written, "HKEY_CURRENT_USER");
        ASSERT_TRUE(again.ok()) << again.error;
        EXPECT_EQ(again.problemCount, 0u);
        EXPECT_EQ(again.hive.form(), form.form);
        EXPECT_TRUE(again.hive == parsed.hive) << written;
        EXPECT_EQ(again.hive.findKey("Fresh")->findValue("path")->data, sz("%HOME%\\x"));
        // The text of the file, one byte a character for the UTF-16 forms (all of it is ASCII).
        std::string text;
        const bool utf16 = form.form.encoding == E::Utf16Le;
        for (std::size_t i = utf16                       ? 2
                 : form.form.encoding == E::Utf8WithMark ? 3
                                                         : 0;
             i < written.size(); i += utf16 ? 2 : 1)
            text += written[i];
        EXPECT_NE(text.find("\"keep\" = \"as written\""), std::string::npos) << text;
        const std::size_t lineEnds = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        const std::size_t returns = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r'));
        EXPECT_EQ(returns, form.form.crlf ? lineEnds : 0u) << text;
    }
}

TEST(RegFile, NamesAreFoundInAnyCaseAndKeepTheirFirstSpelling)
{
    const std::string text = "Windows Registry Editor Version 5.00\n[hkey_current_user\\A\\B]\n\"x\"=dword:0000000A\n"
                             "[HKEY_CURRENT_USER\\a\\b\\C]\n[HKEY_CURRENT_USER\\a\\b]\n\"X\"=\"again\"\n";
    const RegParseResult parsed = parse(text);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    const RegKey* key = parsed.hive.findKey("a\\b");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values().size(), 1u);
    EXPECT_EQ(key->values().front().name, "x");
    EXPECT_EQ(key->values().front().data, sz("again"));
    ASSERT_NE(parsed.hive.findKey("A\\B\\c"), nullptr);
    EXPECT_EQ(parsed.hive.findKey("A\\B\\c")->path(), "A\\B\\C");
    // A parent of a written key exists without a section of its own.
    EXPECT_TRUE(parsed.hive.keyExists("A"));
    EXPECT_EQ(parsed.hive.findKey("A"), nullptr);
    EXPECT_FALSE(parsed.hive.keyExists("A\\Bc"));
    EXPECT_EQ(parsed.hive.keys().size(), 2u);
}

TEST(RegFile, DeletionsRemoveWhatStandsAboveThemAndKeepTheirLines)
{
    const std::string text = std::string("Windows Registry Editor Version 5.00\n\n"
                                         "[HKEY_CURRENT_USER\\A]\n; about a\n\"a\"=\"1\" ; first\n\"b\"=\"2\"\n"
                                         "[HKEY_CURRENT_USER\\A\\Sub\\Deep]\n\"c\"=\"3\"\n"
                                         "[HKEY_CURRENT_USER\\Keep]\n\"k\"=\"4\"\n"
                                         "; A goes\n[-HKEY_CURRENT_USER\\a]\n"
                                         "[HKEY_CURRENT_USER\\A]\n\"late\"=\"5\"\n\"late\"=-\n\"late\"=\"6\"\n");
    const RegParseResult parsed = parse(text);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_EQ(parsed.problemCount, 0u);
    EXPECT_FALSE(parsed.hive.keyExists("A\\Sub"));
    ASSERT_NE(parsed.hive.findKey("Keep"), nullptr);
    const RegKey* again = parsed.hive.findKey("A");
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->values().size(), 1u);
    EXPECT_EQ(again->findValue("late")->data, sz("6"));
    // The lines of the deleted key are not lost: they stay where they stood, above the deletion.
    EXPECT_EQ(SerialiseRegFile(parsed.hive), text);
    expectStable(parsed);
}

TEST(RegFile, CommentsAndUnreadableLinesAreKeptInPlace)
{
    const std::string text = "; exported by hand\r\n"
                             "Windows Registry Editor Version 5.00\r\n\r\n"
                             "; the options\r\n"
                             "[HKEY_CURRENT_USER\\vespern\\setting] ; section note\r\n"
                             "\"start up\"=\"1\"\r\n"
                             "\"empty recycle bin\"=\"1\r\n" // line 7: not closed
                             "\"stay on top\"=\"1\"\r\n"
                             "  ; indented note\r\n"
                             "\"program\"=hex:zz\r\n" // line 10
                             "\r\n"
                             "; a tail comment\r\n"
                             "\r\n"
                             "[HKEY_CURRENT_USER\\other]\r\n"
                             "\"hideshutdown\"=\"0\"\r\n";
    const RegParseResult parsed = parse(text);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    ASSERT_EQ(parsed.problemCount, 2u);
    EXPECT_EQ(parsed.problems[0].line, 7u);
    EXPECT_NE(parsed.problems[0].reason.find("not closed"), std::string::npos) << parsed.problems[0].reason;
    EXPECT_EQ(parsed.problems[1].line, 10u);
    const RegKey* key = parsed.hive.findKey("vespern\\setting");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->findValue("start up")->data, sz("1"));
    EXPECT_EQ(key->findValue("stay on top")->data, sz("1"));
    EXPECT_EQ(key->findValue("empty recycle bin"), nullptr);
    EXPECT_EQ(parsed.hive.findKey("other")->findValue("hideshutdown")->data, sz("0"));

    EXPECT_EQ(SerialiseRegFile(parsed.hive), text);
    expectStable(parsed);
}

TEST(RegFile, ChangesKeepTheLinesAroundThem)
{
    RegParseResult parsed = parse("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n"
                                  "; about a\n\"a\"=\"1\" ; note\n\"b\"=\"2\"\nnot a value\n");
    ASSERT_TRUE(parsed.ok());
    RegKey* key = parsed.hive.findKey("K");
    key->setValue("A", w32::RegSz, sz("changed"));
    key->setValue("new", w32::RegSz, sz("3"));
    ASSERT_TRUE(key->deleteValue("b"));
    EXPECT_EQ(SerialiseRegFile(parsed.hive),
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n"
        "; about a\n\"a\"=\"changed\" ; note\nnot a value\n\"new\"=\"3\"\n");
    ASSERT_TRUE(key->deleteValue("a"));
    EXPECT_EQ(SerialiseRegFile(parsed.hive),
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n"
        "; about a\n; note\nnot a value\n\"new\"=\"3\"\n");
}

TEST(RegFile, EachUnreadableLineIsReportedWithItsNumberAndTheRestCounts)
{
    const std::string header = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n";
    std::string manyBytes;
    for (std::size_t i = 0; i < reglimits::ValueDataBytes; ++i)
        manyBytes += "00,";
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "\"a\"=\"b\n", "not closed" },
        { "\"a\"=\"b\\n\"\n", "not closed" },
        { "\"a\"=dword:123456789\n", "dword" },
        { "\"a\"=hex:1,02\n", "two-digit" },
        { "\"a\"=hex:01,\\\n\n", "past its end" },
        { "\"a\"=hex:01,\n", "comma" },
        { "\"a\"=hex(2):41\n", "odd number" },
        { "\"a\"=hex(zz):41\n", "hex(type)" },
        { "\"a\"=-x\n", "deletion" },
        { "\"\"=\"x\"\n", "quoted text or @" },
        { "a=\"x\"\n", "quoted text or @" },
        { "\"a\" \"x\"\n", "\"=\" is missing" },
        { "\"a\"=word:1\n", "neither" },
        { "[HKEY_LOCAL_MACHINE\\A]\n", "not below HKEY_CURRENT_USER" },
        { "[HKEY_CURRENT_USER\\A\n", "not closed" },
        { "[HKEY_CURRENT_USER\\A\\\\B]\n", "empty part" },
        { "[HKEY_CURRENT_USER\\]\n", "empty part" },
        { "[-HKEY_CURRENT_USER]\n", "root key cannot be deleted" },
        { "[HKEY_CURRENT_USER\\" + std::string(256, 'k') + "]\n", "256 characters, more than the 255" },
        { "\"" + std::string(16384, 'n') + "\"=\"x\"\n", "16,384 characters" },
        { "\"a\"=hex:" + manyBytes + "00\n", "1,048,577 bytes, more than the 1,048,576" },
    };
    for (const auto& [line, reason] : cases) {
        SCOPED_TRACE(line.substr(0, 60));
        const RegParseResult parsed
            = parse(header + "\"before\"=\"1\"\n" + line + "[HKEY_CURRENT_USER\\Z]\n\"after\"=\"2\"\n");
        ASSERT_TRUE(parsed.ok()) << parsed.error;
        ASSERT_EQ(parsed.problemCount, 1u);
        EXPECT_EQ(parsed.problems[0].line, 4u);
        EXPECT_NE(parsed.problems[0].reason.find(reason), std::string::npos) << parsed.problems[0].reason;
        EXPECT_NE(parsed.hive.findKey("A")->findValue("before"), nullptr);
        ASSERT_NE(parsed.hive.findKey("Z"), nullptr);
        EXPECT_NE(parsed.hive.findKey("Z")->findValue("after"), nullptr);
        const std::string written = SerialiseRegFile(parsed.hive);
        EXPECT_NE(written.find(line.substr(0, line.find('\n'))), std::string::npos) << "the line is kept";
        expectStable(parsed);
    }
}

TEST(RegFile, ValuesBelowAKeyThatCannotBeReadAreKeptNotRead)
{
    const RegParseResult parsed = parse("Windows Registry Editor Version 5.00\n\"early\"=\"0\"\n"
                                        "[HKEY_CURRENT_USER\\A]\n\"a\"=\"1\"\n"
                                        "[HKEY_LOCAL_MACHINE\\B]\n\"b\"=\"2\"\n"
                                        "[-HKEY_CURRENT_USER\\C]\n\"c\"=\"3\"\n");
    ASSERT_TRUE(parsed.ok());
    ASSERT_EQ(parsed.problemCount, 3u);
    EXPECT_EQ(parsed.problems[0].line, 2u);
    EXPECT_EQ(parsed.problems[1].line, 5u);
    EXPECT_EQ(parsed.problems[2].line, 8u);
    EXPECT_EQ(parsed.hive.findKey("A")->values().size(), 1u);
    EXPECT_EQ(parsed.hive.keys().size(), 1u);
    expectStable(parsed);
}

TEST(RegFile, AKeyTooDeepIsRefusedWithoutHarm)
{
    std::string deep = "[HKEY_CURRENT_USER";
    for (int level = 0; level < 100000; ++level)
        deep += "\\a";
    const RegParseResult parsed = parse(
        "Windows Registry Editor Version 5.00\n\n" + deep + "]\n\"x\"=\"1\"\n[HKEY_CURRENT_USER\\ok]\n\"y\"=\"2\"\n");
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    ASSERT_EQ(parsed.problemCount, 1u);
    EXPECT_EQ(parsed.problems[0].line, 3u);
    EXPECT_NE(parsed.problems[0].reason.find("100,000 levels deep, more than the 512"), std::string::npos)
        << parsed.problems[0].reason;
    EXPECT_FALSE(parsed.hive.keyExists("a"));
    EXPECT_NE(parsed.hive.findKey("ok")->findValue("y"), nullptr);
    EXPECT_NE(SerialiseRegFile(parsed.hive).find(deep + "]\n\"x\"=\"1\"\n"), std::string::npos);
    expectStable(parsed);

    std::string deepest = "a";
    for (std::size_t level = 1; level < reglimits::KeyDepth; ++level)
        deepest += "\\a";
    EXPECT_EQ(KeyPathProblem(deepest), "");
    EXPECT_NE(KeyPathProblem(deepest + "\\a"), "");
}

TEST(RegFile, FilesThatCannotBeReadAtAllSayWhy)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "[HKEY_CURRENT_USER\\A]\n", "line 1: the file does not start with" },
        { "\n; only a note\n", "only comments" },
        { std::string("\xFF\xFEW\0i\0n", 7), "odd number of bytes" },
        { std::string("\xFE\xFF\0W\0i", 6), "does not start with" },
        { std::string(reglimits::FileBytes + 1, ' '), "more than the 33,554,432" },
    };
    for (const auto& [text, reason] : cases) {
        SCOPED_TRACE(reason);
        const RegParseResult parsed = parse(text);
        EXPECT_FALSE(parsed.ok());
        EXPECT_NE(parsed.error.find(reason), std::string::npos) << parsed.error;
    }
    for (const char* blank : { "", "\n\r\n  \n", "\xEF\xBB\xBF" }) {
        const RegParseResult parsed = parse(blank);
        EXPECT_TRUE(parsed.ok()) << parsed.error;
        EXPECT_TRUE(parsed.hive.keys().empty());
    }
}

} // namespace
} // namespace vespern::test
