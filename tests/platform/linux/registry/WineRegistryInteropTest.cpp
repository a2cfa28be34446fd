#include "platform/Win32Constants.h"
#include "platform/linux/registry/RegistryStore.h"
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
    std::uint32_t type = 0;
    std::string data;
    bool operator==(const Value&) const = default;
};
using Values = std::map<std::string, Value>;

std::string Text(const std::string& text)
{
    return text + '\0';
}

// What a settings store holds: texts with the characters the file format escapes, numbers at
// both ends, bytes and the key's default value.
const Values written = {
    { "", { w32::RegSz, Text("the default value") } },
    { "run program", { w32::RegSz, Text("1") } },
    { "program", { w32::RegSz, Text("C:\\Program Files\\Backup\\backup.exe \"quoted\"") } },
    { "empty", { w32::RegSz, Text("") } },
    { "DisableTaskMgr", { w32::RegDword, std::string("\1\0\0\0", 4) } },
    { "all bits", { w32::RegDword, std::string(4, '\xff') } },
    { "bytes", { w32::RegBinary, std::string("\0\x7f\x80\xff", 4) } },
};

// Expandable text, which version 5.00 files hold as UTF-16LE where other text is 8-bit.
const Values expandable = { { "expand", { w32::RegExpandSz, Text("%SystemRoot%\\system32") } } };

void Write(RegistryStore& registry, const Values& values)
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

Values Read(RegistryStore& registry, const Values& names)
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
    arguments.insert(arguments.begin(), GetEnvironment("VESPERN_WINE").value_or("wine"));
    return RunProgram(arguments);
}

// Writes the values through the Linux store, imports its file with Wine's registry editor,
// exports the key again with it (UTF-16LE) and reads that file with the Linux store.
class RoundTrip {
public:
    explicit RoundTrip(const Values& values)
    {
        Wine({ "reg", "delete", key, "/f" });
        {
            RegistryStore store(PathsIn(tree.directory("linux")), [](const std::string&) {});
            Write(store, values);
            const auto file = store.FileOf(w32::HkeyCurrentUser);
            imported = Wine({ "regedit", "/S", WinePath(file) }).exitCode == 0;
        }
        query = Wine({ "reg", "query", key }).output;
        const auto exported = tree / "exported.reg";
        Wine({ "regedit", "/E", WinePath(exported), key });
        Wine({ "reg", "delete", key, "/f" });
        exportedBytes = ReadText(exported);
        const auto reading = tree.directory("reading");
        std::filesystem::copy_file(exported, reading / "HKEY_CURRENT_USER.reg");
        RegistryStore store(PathsIn(reading), [&](const std::string& line) { errors.push_back(line); });
        read = Read(store, values);
    }

    const std::string key = std::string("HKEY_CURRENT_USER\\") + testKey;
    TempTree tree;
    bool imported = false;
    std::string query, exportedBytes;
    std::vector<std::string> errors;
    Values read;
};

void ExpectSameValues(const RoundTrip& trip, const Values& values)
{
    for (const auto& [name, value] : values) {
        ASSERT_TRUE(trip.read.contains(name)) << '"' << name << "\" is missing after the round trip";
        EXPECT_EQ(trip.read.at(name).type, value.type) << '"' << name << '"';
        EXPECT_EQ(trip.read.at(name).data, value.data) << '"' << name << '"';
    }
    EXPECT_TRUE(trip.errors.empty()) << trip.errors.front();
}

struct WineRegistryInterop : ::testing::Test {
    void SetUp() override
    {
        if (!GetEnvironment("WINEPREFIX"))
            GTEST_SKIP() << "no Wine prefix (WINEPREFIX) to import into";
    }
};

TEST_F(WineRegistryInterop, TheLinuxStoresFileImportsIntoWineAndWinesExportReadsBack)
{
    const RoundTrip trip(written);
    ASSERT_TRUE(trip.imported);
    EXPECT_NE(trip.query.find("run program    REG_SZ    1"), std::string::npos) << trip.query;
    EXPECT_NE(trip.query.find("DisableTaskMgr    REG_DWORD    0x1"), std::string::npos) << trip.query;
    ASSERT_TRUE(trip.exportedBytes.starts_with("\xff\xfe")) << "Wine exports UTF-16LE with a byte-order mark";
    ExpectSameValues(trip, written);
}

TEST_F(WineRegistryInterop, ExpandableTextKeepsItsCharacters)
{
    const RoundTrip trip(expandable);
    ASSERT_TRUE(trip.imported);
    EXPECT_NE(trip.query.find("expand    REG_EXPAND_SZ    %SystemRoot%\\system32"), std::string::npos) << trip.query;
    ExpectSameValues(trip, expandable);
}

} // namespace
} // namespace vespern::test
