#include "platform/CodePageText.h"
#include "platform/Win32Constants.h"
#include "platform/linux/LinuxPlatform.h"
#include "support/TempUserDirs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <pwd.h>
#include <set>
#include <sys/stat.h>
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
        : platform(
            LinuxPaths {}, [this](const std::string& line) { errors.push_back(line); },
            [this](const UserNotice& notice) { notices.push_back(notice); })
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

    HKey open(HKey root, const std::string& path)
    {
        HKey key = 0;
        EXPECT_EQ(platform.RegOpenKeyExA(root, path, 0, w32::KeyAllAccess, key), 0) << path;
        return key;
    }

    std::filesystem::path file(const char* root) const { return dirs.registry / (std::string(root) + ".reg"); }

    // The files kept aside for a root, oldest name first.
    std::vector<std::filesystem::path> keptAside(const char* root) const
    {
        std::vector<std::filesystem::path> aside;
        for (const auto& entry : std::filesystem::directory_iterator(dirs.registry))
            if (entry.path().filename().string().starts_with(std::string(root) + ".reg.corrupt-"))
                aside.push_back(entry.path());
        std::sort(aside.begin(), aside.end());
        return aside;
    }

    TempUserDirs dirs;
    std::vector<std::string> errors;
    std::vector<UserNotice> notices;
    LinuxPlatform platform;
};

constexpr char optionsHeader[] = "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\vespern\\setting]\n";

// Ends the test run instead of letting it hang on a read that never returns.
class HangGuard {
public:
    HangGuard() { ::alarm(20); }
    ~HangGuard() { ::alarm(0); }
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;
};

TEST(RegistryStore, QueriesFollowTheSystemRules)
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

TEST(RegistryStore, ValueNamesKeepTheirFirstSpelling)
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

TEST(RegistryStore, AFailedWriteLeavesTheFileAsItWas)
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

TEST(RegistryStore, AnUnreadableFileIsKeptAsideAtTheNextChangeAndReadsAsEmptyTillThen)
{
    Registry r;
    const auto file = r.file("HKEY_CLASSES_ROOT");
    const std::string broken = "[HKEY_CLASSES_ROOT\\vespern\\setting]\n\"start up\"=\"1\"\n"; // no header
    WriteText(file, broken);
    HKey key = 0;
    for (int read = 0; read < 2; ++read)
        EXPECT_EQ(r.platform.RegOpenKeyExA(w32::HkeyClassesRoot, "\\vespern\\setting", 0, w32::KeyAllAccess, key),
            static_cast<std::int32_t>(w32::ErrorFileNotFound));
    // Reads tell it once, in the window too, and leave it in place.
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_NE(r.errors[0].find("line 1: the file does not start with"), std::string::npos) << r.errors[0];
    ASSERT_EQ(r.notices.size(), 1u);
    EXPECT_EQ(r.notices[0].kind, NoticeKind::Error);
    EXPECT_NE(r.notices[0].text.find(file.string() + " cannot be read"), std::string::npos) << r.notices[0].text;
    EXPECT_EQ(ReadText(file), broken);
    EXPECT_TRUE(r.keptAside("HKEY_CLASSES_ROOT").empty());

    key = r.create(w32::HkeyClassesRoot, "\\vespern\\setting");
    auto aside = r.keptAside("HKEY_CLASSES_ROOT");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadText(aside[0]), broken);
    EXPECT_EQ(r.platform.RegSetValueExA(key, "start up", w32::RegSz, sz("0")), 0);
    ASSERT_EQ(r.errors.size(), 2u);
    EXPECT_NE(r.errors[1].find("kept as " + aside[0].string()), std::string::npos) << r.errors[1];

    // Another unreadable version within the same second gets a name of its own.
    const std::string second = "garbage of the second kind\n";
    WriteText(file, second);
    ASSERT_EQ(r.platform.RegSetValueExA(key, "start up", w32::RegSz, sz("1")), 0);
    aside = r.keptAside("HKEY_CLASSES_ROOT");
    ASSERT_EQ(aside.size(), 2u);
    std::set<std::string> contents { ReadText(aside[0]), ReadText(aside[1]) };
    EXPECT_EQ(contents, (std::set<std::string> { broken, second }));
    EXPECT_EQ(r.read(key, "start up"), std::string("1", 2));
}

// UTF-16LE bytes of a text; \uD800 alone (a lone surrogate) as the units of its escape.
std::string Utf16Le(const std::string& text)
{
    std::string out;
    for (const char16_t unit : Utf16FromCodePage(text)) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out;
}

// A file the registry editor exported and a person then edited, as ugly as such files get.
TEST(RegistryStore, AHandEditedExportKeepsEveryLineAndItsFormAfterASave)
{
    Registry r;
    const auto file = r.file("HKEY_CURRENT_USER");
    const std::string loneSurrogate("\x00\xD8", 2);
    const std::string exported = "\xFF\xFE"
        + Utf16Le("Windows Registry Editor Version 5.00\r\n\r\n"
                  "; caf\xC3\xA9 settings, by hand\r\n"
                  "[HKEY_CURRENT_USER\\Software\\Hand]\r\n"
                  "\"v\"=\"A value\"\r\n"
                  "\"v\"=\"B value\"\r\n"
                  "\"dup\"=\"1\"\r\n"
                  "\"dup\"=\"1\"\r\n"
                  "this line is odd\r\n"
                  "\"path\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00\r\n"
                  "\"lone\"=hex(2):00,d8,41,00,00,00\r\n"
                  "\"cut\"=hex:01,02,\\\r\n")
        + Utf16Le("[HKEY_CURRENT_USER\\Software\\Next]\r\n"
                  "\"after\"=\"2\"\r\n"
                  "; a unit no text has: ")
        + loneSurrogate + Utf16Le("\r\n");
    WriteText(file, exported);
    const HKey hand = r.open(w32::HkeyCurrentUser, "Software\\Hand");
    EXPECT_EQ(r.read(hand, "v"), std::string("B value", 8)) << "the later line is read, as the editor imports it";
    EXPECT_EQ(r.read(hand, "path"), std::string("%HOME%", 7));
    EXPECT_EQ(r.read(hand, "cut"), std::nullopt) << "unfinished before the [key] line";
    const HKey next = r.open(w32::HkeyCurrentUser, "Software\\Next");
    EXPECT_EQ(r.read(next, "after"), std::string("2", 2)) << "the [key] line below a trailing \\ is a key";
    EXPECT_EQ(r.read(hand, "after"), std::nullopt);

    // An unrelated save: every byte stays, the new value comes below the key's last line.
    ASSERT_EQ(r.platform.RegSetValueExA(next, "new", w32::RegSz, sz("3")), 0);
    const std::string added = Utf16Le("\"new\"=\"3\"\r\n");
    const std::size_t at = exported.find(Utf16Le("; a unit"));
    EXPECT_EQ(ReadText(file), exported.substr(0, at) + added + exported.substr(at));

    // A changed value changes its own line only: the one that is read.
    ASSERT_EQ(r.platform.RegSetValueExA(hand, "v", w32::RegSz, sz("C value")), 0);
    std::string expected = exported.substr(0, at) + added + exported.substr(at);
    const std::string second = Utf16Le("\"v\"=\"B value\"\r\n");
    expected.replace(expected.find(second), second.size(), Utf16Le("\"v\"=\"C value\"\r\n"));
    EXPECT_EQ(ReadText(file), expected);
    EXPECT_NE(expected.find(Utf16Le("\"v\"=\"A value\"\r\n")), std::string::npos);
    EXPECT_EQ(r.read(hand, "v"), std::string("C value", 8));

    // A deleted value loses every line it has, or an earlier one would come back.
    ASSERT_EQ(r.platform.RegDeleteValueA(hand, "dup"), 0);
    EXPECT_EQ(ReadText(file).find(Utf16Le("\"dup\"")), std::string::npos);
    EXPECT_EQ(r.read(hand, "dup"), std::nullopt);
}

TEST(RegistryStore, ABadLineCostsOnlyThatLineAndIsKeptWithTheCommentsAtTheNextSave)
{
    Registry r;
    const auto file = r.file("HKEY_CLASSES_ROOT");
    const std::string lines = "; my options, edited by hand\n"
                              "\"start up\" = \"1\" ; on since the new laptop\n"
                              "\"empty recycle bin\"=\"1\n"
                              "\"stay on top\"=\"1\"\n";
    WriteText(file, optionsHeader + lines);
    const HKey key = r.open(w32::HkeyClassesRoot, "\\vespern\\setting");
    EXPECT_EQ(r.read(key, "start up"), std::string("1", 2));
    EXPECT_EQ(r.read(key, "stay on top"), std::string("1", 2));
    EXPECT_EQ(r.read(key, "empty recycle bin"), std::nullopt);
    ASSERT_EQ(r.notices.size(), 1u) << "told once, however often it is read";
    EXPECT_EQ(r.notices[0].kind, NoticeKind::Warning);
    EXPECT_NE(r.notices[0].text.find("line 6 cannot be read (a text value is not closed)"), std::string::npos)
        << r.notices[0].text;
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_NE(r.errors[0].find(file.string() + " line 6: a text value is not closed"), std::string::npos)
        << r.errors[0];

    ASSERT_EQ(r.platform.RegSetValueExA(key, "program", w32::RegSz, sz("/usr/bin/true")), 0);
    // Every line as it was, byte for byte, and the new value below the last line of its key.
    EXPECT_EQ(ReadText(file), optionsHeader + lines + "\"program\"=\"/usr/bin/true\"\n");
    EXPECT_TRUE(r.keptAside("HKEY_CLASSES_ROOT").empty());
    EXPECT_EQ(r.notices.size(), 1u) << "our own save is no new version to tell about";
}

TEST(RegistryStore, AKeyHundredThousandLevelsDeepIsRefusedWithAMessage)
{
    Registry r;
    std::string deep = "[HKEY_CLASSES_ROOT";
    for (int level = 0; level < 100000; ++level)
        deep += "\\a";
    WriteText(r.file("HKEY_CLASSES_ROOT"), optionsHeader + std::string("\"start up\"=\"1\"\n") + deep + "]\n");
    const HKey key = r.open(w32::HkeyClassesRoot, "\\vespern\\setting");
    EXPECT_EQ(r.read(key, "start up"), std::string("1", 2));
    ASSERT_EQ(r.notices.size(), 1u);
    EXPECT_NE(r.notices[0].text.find("line 5 cannot be read (the key is 100,000 levels deep, more than the 512"),
        std::string::npos)
        << r.notices[0].text.substr(0, 300);
    ASSERT_EQ(r.platform.RegSetValueExA(key, "start up", w32::RegSz, sz("0")), 0);
    EXPECT_NE(ReadText(r.file("HKEY_CLASSES_ROOT")).find(deep + "]\n"), std::string::npos);
    // Nor can the program create one.
    HKey created = 0;
    std::uint32_t disposition = 0;
    EXPECT_EQ(
        r.platform.RegCreateKeyExA(w32::HkeyCurrentUser, deep.substr(18), 0, w32::KeyAllAccess, created, disposition),
        87);
}

TEST(RegistryStore, WhatIsNoRegularFileIsRefusedAtOnceAndNeverWritten)
{
    Registry r;
    const auto fifo = r.file("HKEY_CLASSES_ROOT");
    std::filesystem::create_directories(fifo.parent_path());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", r.file("HKEY_CURRENT_USER"));
    std::filesystem::create_directory(r.file("HKEY_LOCAL_MACHINE"));
    const HangGuard guard;
    const std::vector<std::pair<HKey, const char*>> cases = {
        { w32::HkeyClassesRoot, "a named pipe (FIFO)" },
        { w32::HkeyCurrentUser, "a character device" },
        { w32::HkeyLocalMachine, "a directory" },
    };
    for (const auto& [root, kind] : cases) {
        SCOPED_TRACE(kind);
        r.notices.clear();
        HKey key = 0;
        EXPECT_EQ(r.platform.RegOpenKeyExA(root, "\\vespern", 0, w32::KeyAllAccess, key),
            static_cast<std::int32_t>(w32::ErrorFileNotFound));
        ASSERT_EQ(r.notices.size(), 1u);
        EXPECT_NE(r.notices[0].text.find(std::string("it is ") + kind + ", not a regular file"), std::string::npos)
            << r.notices[0].text;
        std::uint32_t disposition = 0;
        EXPECT_NE(r.platform.RegCreateKeyExA(root, "\\vespern", 0, w32::KeyAllAccess, key, disposition), 0);
        EXPECT_EQ(r.notices.size(), 1u);
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_symlink(r.file("HKEY_CURRENT_USER")));
    EXPECT_TRUE(std::filesystem::is_directory(r.file("HKEY_LOCAL_MACHINE")));
}

TEST(RegistryStore, ASymbolicLinkStaysAndItsTargetIsWritten)
{
    Registry r;
    const auto target = r.dirs.root / "dotfiles" / "options.reg";
    WriteText(target, optionsHeader + std::string("; kept in my dotfiles\n\"start up\"=\"1\"\n"));
    std::filesystem::create_directories(r.dirs.registry);
    std::filesystem::create_symlink("../dotfiles/options.reg", r.file("HKEY_CLASSES_ROOT"));
    const HKey key = r.open(w32::HkeyClassesRoot, "\\vespern\\setting");
    ASSERT_EQ(r.platform.RegSetValueExA(key, "stay on top", w32::RegSz, sz("1")), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(r.file("HKEY_CLASSES_ROOT")));
    const std::string written = ReadText(target);
    EXPECT_NE(written.find("; kept in my dotfiles\n\"start up\"=\"1\"\n\"stay on top\"=\"1\"\n"), std::string::npos)
        << written;
    // Nothing of the write is left beside the link: it all happened in the target's directory.
    std::vector<std::string> beside;
    for (const auto& entry : std::filesystem::directory_iterator(r.dirs.registry))
        beside.push_back(entry.path().filename().string());
    EXPECT_EQ(beside, std::vector<std::string> { "HKEY_CLASSES_ROOT.reg" });
    EXPECT_EQ(r.read(key, "stay on top"), std::string("1", 2));
}

TEST(RegistryStore, AChangeByAnotherProgramIsSeenAtTheNextCall)
{
    Registry r;
    const HKey key = r.create(w32::HkeyClassesRoot, "\\vespern\\setting");
    ASSERT_EQ(r.platform.RegSetValueExA(key, "start up", w32::RegSz, sz("1")), 0);
    // Another program's atomic write.
    const auto file = r.file("HKEY_CLASSES_ROOT");
    WriteText(file.string() + ".new", optionsHeader + std::string("\"start up\"=\"0\"\n"));
    std::filesystem::rename(file.string() + ".new", file);
    EXPECT_EQ(r.read(key, "start up"), std::string("0", 2));
    std::filesystem::remove(file);
    EXPECT_EQ(r.read(key, "start up"), std::nullopt);
    EXPECT_TRUE(r.notices.empty());
}

TEST(RegistryStore, TheRunValueIsTheDesktopAutostartEntry)
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

TEST(RegistryStore, TheAutostartEntryQuotesAndEscapesTheProgram)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "/usr/bin/vespern", "/usr/bin/vespern" },
        { "/opt/50%/vespern", "/opt/50%%/vespern" },
        { "/opt/a \"b\" $c/`d`\\e", "\"/opt/a \\\\\"b\\\\\" \\\\$c/\\\\`d\\\\`\\\\\\\\e\"" },
        // A carriage return at the end would be taken for part of the line break.
        { "/opt/vespern\r", "/opt/vespern\\r" },
        { "/opt/new\nline\ttab", "\"/opt/new\\nline\\ttab\"" },
    };
    for (const auto& [program, exec] : cases)
        EXPECT_EQ(DesktopExec(program), exec) << program;
}

TEST(RegistryStore, TheDesktopFolderComesFromTheUserDirectories)
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

TEST(RegistryStore, TheFilesNeverGoBelowTheDirectoryTheProgramWasStartedIn)
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

TEST(RegistryStore, MachineValuesGoToTheAdministratorsFileOnlyWhereThisProcessMayWriteIt)
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

TEST(RegistryStore, PoliciesThisDesktopIgnoresAreReportedOnce)
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
