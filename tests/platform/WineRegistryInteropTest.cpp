#include "platform/Win32Constants.h"
#include "platform/linux/LinuxRegistry.h"
#include "support/HostSystem.h"
#include "support/TempTree.h"
#include "support/TempUserDirs.h"

#include <gtest/gtest.h>

#include <map>

// The Linux store and Wine's registry editor read each other's files: what one writes the other
// reads back with the same types and bytes. Runs in the Windows tests' Wine prefix (WINEPREFIX).

namespace vespern::test {
namespace {

constexpr char testKey[] = "Software\\Vespern interop test";

struct Value {
    std::uint32_t type;
    std::string data;
    bool operator==(const Value&) const = default;
};
using Values = std::map<std::string, Value>;

std::string Text(const std::string& text)
{
    return text + '\0';
}

// What a settings store holds: texts with the characters the file format escapes, numbers at
// both ends, bytes, a text with a variable and the key's default value.
const Values written = {
    { "", { w32::RegSz, Text("the default value") } },
    { "run program", { w32::RegSz, Text("1") } },
    { "program", { w32::RegSz, Text("C:\\Program Files\\Backup\\backup.exe \"quoted\"") } },
    { "empty", { w32::RegSz, Text("") } },
    { "DisableTaskMgr", { w32::RegDword, std::string("\1\0\0\0", 4) } },
    { "all bits", { w32::RegDword, std::string(4, '\xff') } },
    { "bytes", { w32::RegBinary, std::string("\0\x7f\x80\xff", 4) } },
    { "expand", { w32::RegExpandSz, Text("%SystemRoot%\\system32") } },
};

void Write(LinuxRegistry& registry, const Values& values)
{
    HKey key = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(registry.CreateKey(w32::HkeyCurrentUser, testKey, key, disposition), 0);
    for (const auto& [name, value] : values) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(value.data.data());
        ASSERT_EQ(registry.SetValue(key, name, value.type, { bytes, value.data.size() }), 0) << name;
    }
    registry.CloseKey(key);
}

Values Read(LinuxRegistry& registry, const Values& names)
{
    Values out;
    HKey key = 0;
    if (registry.OpenKey(w32::HkeyCurrentUser, testKey, key) != 0)
        return out;
    for (const auto& [name, expected] : names) {
        std::uint32_t type = 0, size = 0;
        if (registry.QueryValue(key, name, type, {}, size) != 0)
            continue;
        std::vector<std::uint8_t> data(size);
        registry.QueryValue(key, name, type, data, size);
        out[name] = { type, std::string(data.begin(), data.end()) };
    }
    registry.CloseKey(key);
    return out;
}

RegistryPaths PathsIn(const std::filesystem::path& directory)
{
    RegistryPaths paths;
    paths.classesRootDir = paths.currentUserDir = paths.localMachineDir = directory;
    paths.configHome = directory / "config";
    paths.home = directory / "home";
    return paths;
}

// A Unix path as Wine's programs name it.
std::string WinePath(const std::filesystem::path& path)
{
    std::string out = "Z:" + path.string();
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

ProgramResult Wine(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "wine");
    return RunProgram(arguments);
}

TEST(WineRegistryInterop, TheLinuxStoresFileImportsIntoWineAndWinesExportReadsBack)
{
    if (!GetEnvironment("WINEPREFIX"))
        GTEST_SKIP() << "no Wine prefix (WINEPREFIX) to import into";
    TempTree tree;
    const std::string key = std::string("HKEY_CURRENT_USER\\") + testKey;
    Wine({ "reg", "delete", key, "/f" });
    {
        LinuxRegistry store(PathsIn(tree.directory("linux")), [](const std::string&) {});
        Write(store, written);
        const auto file = store.FileOf(w32::HkeyCurrentUser);
        ASSERT_EQ(Wine({ "regedit", "/S", WinePath(file) }).exitCode, 0) << ReadText(file);
    }
    const ProgramResult query = Wine({ "reg", "query", key });
    EXPECT_NE(query.output.find("run program    REG_SZ    1"), std::string::npos) << query.output;
    EXPECT_NE(query.output.find("DisableTaskMgr    REG_DWORD    0x1"), std::string::npos) << query.output;

    const auto exported = tree / "exported.reg";
    ASSERT_EQ(Wine({ "regedit", "/E", WinePath(exported), key }).exitCode, 0);
    Wine({ "reg", "delete", key, "/f" });
    const std::string bytes = ReadText(exported);
    ASSERT_TRUE(bytes.starts_with("\xff\xfe")) << "Wine exports UTF-16LE with a byte-order mark";

    const auto reading = tree.directory("reading");
    std::filesystem::copy_file(exported, reading / "HKEY_CURRENT_USER.reg");
    std::vector<std::string> errors;
    LinuxRegistry store(PathsIn(reading), [&](const std::string& line) { errors.push_back(line); });
    const Values read = Read(store, written);
    for (const auto& [name, value] : written) {
        ASSERT_TRUE(read.contains(name)) << '"' << name << "\" is missing after the round trip";
        EXPECT_EQ(read.at(name), value) << '"' << name << '"';
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

} // namespace
} // namespace vespern::test
