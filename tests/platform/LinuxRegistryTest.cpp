#include "platform/Win32Constants.h"
#include "platform/linux/LinuxPlatform.h"
#include "support/TempUserDirs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <pwd.h>
#include <unistd.h>

namespace vespern::test {
namespace {

constexpr char runKey[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char shellFolders[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::span<const std::uint8_t> sz(const char* text)
{
    return { reinterpret_cast<const std::uint8_t*>(text), std::strlen(text) + 1 };
}

struct Registry {
    Registry()
        : platform(LinuxPaths {}, [this](const std::string& line) { errors.push_back(line); })
    {
    }

    HKey create(HKey root, const std::string& path)
    {
        HKey key = 0;
        std::uint32_t disposition = 0;
        EXPECT_EQ(platform.RegCreateKeyExA(root, path, 0, w32::KeyAllAccess, key, disposition), 0) << path;
        return key;
    }

    // The value as a Win32 caller reads it: size first, then the data.
    std::optional<std::string> read(HKey key, const std::string& name, std::uint32_t* typeOut = nullptr)
    {
        std::uint32_t type = 0, size = 0;
        if (platform.RegQueryValueExA(key, name, type, {}, size) != 0)
            return std::nullopt;
        std::vector<std::uint8_t> data(size);
        EXPECT_EQ(platform.RegQueryValueExA(key, name, type, data, size), 0);
        if (typeOut)
            *typeOut = type;
        return std::string(data.begin(), data.end());
    }

    TempUserDirs dirs;
    std::vector<std::string> errors;
    LinuxPlatform platform;
};

TEST(LinuxRegistry, QueriesFollowTheSystemRules)
{
    Registry r;
    HKey key = 0;
    EXPECT_EQ(r.platform.RegOpenKeyExA(w32::HkeyClassesRoot, "\\vespern\\setting", 0, w32::KeyAllAccess, key),
        static_cast<std::int32_t>(w32::ErrorFileNotFound));
    EXPECT_EQ(key, 0u);
    key = r.create(w32::HkeyClassesRoot, "\\vespern\\setting");
    ASSERT_EQ(r.platform.RegSetValueExA(key, "program", w32::RegSz, sz("/usr/bin/true")), 0);

    std::uint32_t type = 0, size = 0;
    ASSERT_EQ(r.platform.RegQueryValueExA(key, "PROGRAM", type, {}, size), 0);
    EXPECT_EQ(type, w32::RegSz);
    EXPECT_EQ(size, 14u);
    std::vector<std::uint8_t> small(4);
    EXPECT_EQ(
        r.platform.RegQueryValueExA(key, "program", type, small, size), static_cast<std::int32_t>(w32::ErrorMoreData));
    EXPECT_EQ(size, 14u);
    EXPECT_EQ(
        r.platform.RegQueryValueExA(key, "missing", type, {}, size), static_cast<std::int32_t>(w32::ErrorFileNotFound));
    EXPECT_NE(r.platform.RegSetValueExA(0, "x", w32::RegSz, sz("y")), 0);
    EXPECT_NE(r.platform.RegQueryValueExA(0x4321, "x", type, {}, size), 0);

    // Another handle sees the write at once: the file is the only state.
    HKey other = 0;
    ASSERT_EQ(r.platform.RegOpenKeyExA(w32::HkeyClassesRoot, "VESPERN\\Setting", 0, w32::KeyAllAccess, other), 0);
    EXPECT_EQ(r.read(other, "program"), std::string("/usr/bin/true", 14));
    EXPECT_EQ(r.platform.RegCloseKey(other), 0);
    EXPECT_NE(r.platform.RegCloseKey(other), 0);
    EXPECT_TRUE(std::filesystem::exists(r.dirs.registry / "HKEY_CLASSES_ROOT.reg"));
}

TEST(LinuxRegistry, ValueNamesKeepTheirFirstSpelling)
{
    Registry r;
    const HKey key
        = r.create(w32::HkeyCurrentUser, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer");
    const std::uint8_t one[] = { 1, 0, 0, 0 }, zero[] = { 0, 0, 0, 0 };
    ASSERT_EQ(r.platform.RegSetValueExA(key, "StartMenuLogOff", w32::RegDword, one), 0);
    ASSERT_EQ(r.platform.RegSetValueExA(key, "StartMenuLogoff", w32::RegDword, zero), 0);
    const std::string text = ReadText(r.dirs.registry / "HKEY_CURRENT_USER.reg");
    EXPECT_NE(text.find("\"StartMenuLogOff\"=dword:00000000\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("StartMenuLogoff"), std::string::npos) << text;
    EXPECT_EQ(r.platform.RegDeleteValueA(key, "startmenulogoff"), 0);
    EXPECT_EQ(r.platform.RegDeleteValueA(key, "startmenulogoff"), static_cast<std::int32_t>(w32::ErrorFileNotFound));
}

TEST(LinuxRegistry, AFailedWriteLeavesTheFileAsItWas)
{
    Registry r;
    const HKey key = r.create(w32::HkeyCurrentUser, "\\A");
    ASSERT_EQ(r.platform.RegSetValueExA(key, "kept", w32::RegSz, sz("old")), 0);
    const auto file = r.dirs.registry / "HKEY_CURRENT_USER.reg";
    const std::string before = ReadText(file);
    // A directory where the temporary file would go makes the write fail, even for root.
    const auto saved = r.dirs.registry.string() + ".saved";
    std::filesystem::rename(r.dirs.registry, saved);
    WriteText(r.dirs.registry, "not a directory");
    EXPECT_NE(r.platform.RegSetValueExA(key, "kept", w32::RegSz, sz("new")), 0);
    std::filesystem::remove(r.dirs.registry);
    std::filesystem::rename(saved, r.dirs.registry);
    EXPECT_EQ(ReadText(file), before);
    EXPECT_EQ(r.read(key, "kept"), std::string("old", 4));
}

TEST(LinuxRegistry, AnUnreadableFileIsKeptAsideAtTheNextChangeAndReadsAsEmptyTillThen)
{
    Registry r;
    const auto file = r.dirs.registry / "HKEY_CLASSES_ROOT.reg";
    const std::string broken
        = "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\vespern\\setting]\n\"start up\"=\"1\n";
    WriteText(file, broken);
    auto keptAside = [&] {
        std::vector<std::filesystem::path> aside;
        for (const auto& entry : std::filesystem::directory_iterator(r.dirs.registry))
            if (entry.path().filename().string().starts_with("HKEY_CLASSES_ROOT.reg.corrupt-"))
                aside.push_back(entry.path());
        return aside;
    };
    HKey key = 0;
    for (int read = 0; read < 2; ++read)
        EXPECT_EQ(r.platform.RegOpenKeyExA(w32::HkeyClassesRoot, "\\vespern\\setting", 0, w32::KeyAllAccess, key),
            static_cast<std::int32_t>(w32::ErrorFileNotFound));
    // Reads report it once and leave it in place.
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_NE(r.errors[0].find("line 4"), std::string::npos) << r.errors[0];
    EXPECT_EQ(ReadText(file), broken);
    EXPECT_TRUE(keptAside().empty());

    key = r.create(w32::HkeyClassesRoot, "\\vespern\\setting");
    const auto aside = keptAside();
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadText(aside[0]), broken);
    EXPECT_EQ(r.platform.RegSetValueExA(key, "start up", w32::RegSz, sz("0")), 0);
    ASSERT_EQ(r.errors.size(), 2u);
    EXPECT_NE(r.errors[1].find("kept as " + aside[0].string()), std::string::npos) << r.errors[1];
}

TEST(LinuxRegistry, TheRunValueIsTheDesktopAutostartEntry)
{
    Registry r;
    const auto entry = r.dirs.config / "autostart" / "vespern.desktop";
    const HKey key = r.create(w32::HkeyCurrentUser, runKey);
    ASSERT_EQ(r.platform.RegSetValueExA(key, "vespern", w32::RegSz, sz("/opt/My Tools/vespern")), 0);
    const std::string text = ReadText(entry);
    EXPECT_TRUE(text.starts_with("[Desktop Entry]\nType=Application\nName=Vespern\n")) << text;
    EXPECT_NE(text.find("\nExec=\"/opt/My Tools/vespern\"\n"), std::string::npos) << text;
    EXPECT_EQ(r.platform.RegDeleteValueA(key, "Vespern"), 0);
    EXPECT_FALSE(std::filesystem::exists(entry));
    // Unticking removes an entry whose value is gone, so the program does not start anyway.
    WriteText(entry, "[Desktop Entry]\nExec=/old/vespern\n");
    EXPECT_EQ(r.platform.RegDeleteValueA(key, "Vespern"), static_cast<std::int32_t>(w32::ErrorFileNotFound));
    EXPECT_FALSE(std::filesystem::exists(entry));
    // Other values under Run are nothing to the desktop.
    ASSERT_EQ(r.platform.RegSetValueExA(key, "Other", w32::RegSz, sz("/bin/other")), 0);
    EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST(LinuxRegistry, TheDesktopFolderComesFromTheUserDirectories)
{
    const std::vector<std::pair<const char*, std::string>> cases = {
        { nullptr, "/Desktop" },
        { "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", "/Schreibtisch" },
        { "# comment\nXDG_DOWNLOAD_DIR=\"$HOME/dl\"\nXDG_DESKTOP_DIR=\"/srv/desk/\"\n", "" },
    };
    for (const auto& [userDirs, suffix] : cases) {
        Registry r;
        if (userDirs)
            WriteText(r.dirs.config / "user-dirs.dirs", userDirs);
        const HKey key = r.create(w32::HkeyCurrentUser, shellFolders);
        std::uint32_t type = 0;
        const std::string expected = suffix.empty() ? "/srv/desk" : r.dirs.home.string() + suffix;
        EXPECT_EQ(r.read(key, "desktop", &type), expected + std::string(1, '\0')) << (userDirs ? userDirs : "none");
        EXPECT_EQ(type, w32::RegSz);
        HKey opened = 0;
        EXPECT_EQ(r.platform.RegOpenKeyExA(w32::HkeyCurrentUser,
                      "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                      "Shell Folders",
                      0, w32::KeyAllAccess, opened),
            0)
            << "the folder key answers without having been written";
        // A stored value wins.
        ASSERT_EQ(r.platform.RegSetValueExA(key, "Desktop", w32::RegSz, sz("/elsewhere")), 0);
        EXPECT_EQ(r.read(key, "desktop"), std::string("/elsewhere", 11));
    }
}

TEST(LinuxRegistry, TheFilesNeverGoBelowTheDirectoryTheProgramWasStartedIn)
{
    TempUserDirs dirs;
    dirs.set("VESPERN_REGISTRY_DIR", "");
    dirs.set("XDG_CONFIG_HOME", "relative/config");
    dirs.set("HOME", "");
    const std::filesystem::path account = ::getpwuid(::geteuid())->pw_dir;
    const auto paths = RegistryPaths::FromEnvironment();
    EXPECT_EQ(paths.home, account);
    EXPECT_EQ(paths.currentUserDir, account / ".config" / "vespern");
    EXPECT_EQ(paths.classesRootDir, account / ".config" / "vespern");
    EXPECT_EQ(paths.localMachineUserDir, account / ".config" / "vespern");
    EXPECT_EQ(paths.localMachineDir, "/etc/vespern");
    dirs.set("HOME", dirs.home.string());
    EXPECT_EQ(RegistryPaths::FromEnvironment().configHome, dirs.home / ".config");
}

TEST(LinuxRegistry, MachineValuesGoToTheAdministratorsFileOnlyWhereThisProcessMayWriteIt)
{
    TempUserDirs dirs;
    WriteText(dirs.root / "blocker", "a file where a directory would be");
    const std::uint8_t one[] = { 1, 0, 0, 0 };
    struct Case {
        std::filesystem::path adminDir;
        std::filesystem::path written;
    };
    const Case cases[] = {
        { dirs.root / "admin", dirs.root / "admin" / "HKEY_LOCAL_MACHINE.reg" },
        { dirs.root / "blocker" / "admin", dirs.root / "user" / "HKEY_LOCAL_MACHINE.reg" },
    };
    for (const auto& c : cases) {
        LinuxPaths paths;
        paths.registry.localMachineDir = c.adminDir;
        paths.registry.localMachineUserDir = dirs.root / "user";
        LinuxPlatform platform(paths, [](const std::string&) {});
        HKey key = 0;
        std::uint32_t disposition = 0;
        ASSERT_EQ(platform.RegCreateKeyExA(
                      w32::HkeyLocalMachine, "\\Software\\Policies", 0, w32::KeyAllAccess, key, disposition),
            0);
        ASSERT_EQ(platform.RegSetValueExA(key, "DisableTaskMgr", w32::RegDword, one), 0) << c.adminDir;
        EXPECT_NE(ReadText(c.written).find("\"DisableTaskMgr\"=dword:00000001"), std::string::npos) << c.written;
        std::filesystem::remove(c.written);
    }
}

TEST(LinuxRegistry, PoliciesThisDesktopIgnoresAreReportedOnce)
{
    Registry r;
    const std::uint8_t one[] = { 1, 0, 0, 0 }, zero[] = { 0, 0, 0, 0 };
    const HKey key = r.create(w32::HkeyCurrentUser, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\system");
    ASSERT_EQ(r.platform.RegSetValueExA(key, "DisableTaskMgr", w32::RegDword, zero), 0);
    EXPECT_TRUE(r.errors.empty());
    ASSERT_EQ(r.platform.RegSetValueExA(key, "DisableTaskMgr", w32::RegDword, one), 0);
    ASSERT_EQ(r.platform.RegSetValueExA(key, "DisableTaskMgr", w32::RegDword, one), 0);
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_NE(r.errors[0].find("does not apply them"), std::string::npos);
}

} // namespace
} // namespace vespern::test
