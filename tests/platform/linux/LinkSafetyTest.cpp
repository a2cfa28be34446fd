#include "platform/Win32Constants.h"
#include "platform/linux/LinuxPlatform.h"
#include "support/TempTree.h"
#include "support/TempUserDirs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <unistd.h>

// Every file the program writes is refused through a symbolic link another account planted,
// as root too: the link and whatever it points at stay as they were, and the user is told.

namespace vespern::test {
namespace {

constexpr uid_t otherUser = 65534; // nobody

std::span<const std::uint8_t> sz(const char* text)
{
    return { reinterpret_cast<const std::uint8_t*>(text), std::strlen(text) + 1 };
}

struct Writer {
    const char* what;
    std::function<std::filesystem::path(const TempUserDirs&)> file;
    // Writes the file through the platform; the result code.
    std::function<std::int32_t(LinuxPlatform&, const std::filesystem::path&)> write;
};

std::int32_t saveOptions(LinuxPlatform& platform, const std::filesystem::path&)
{
    HKey key = 0;
    std::uint32_t disposition = 0;
    if (const auto error
        = platform.RegCreateKeyExA(w32::HkeyClassesRoot, "vespern\\setting", 0, w32::KeyAllAccess, key, disposition);
        error != 0)
        return error;
    return platform.RegSetValueExA(key, "stay on top", w32::RegSz, sz("1"));
}

std::int32_t saveAutostart(LinuxPlatform& platform, const std::filesystem::path&)
{
    HKey key = 0;
    std::uint32_t disposition = 0;
    platform.RegCreateKeyExA(w32::HkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
        w32::KeyAllAccess, key, disposition);
    return platform.RegSetValueExA(key, "Vespern", w32::RegSz, sz("/usr/bin/vespern"));
}

std::int32_t saveActionFile(LinuxPlatform& platform, const std::filesystem::path& file)
{
    ComObject link = 0, persist = 0;
    platform.CoCreateInstance(w32::ClsidShellLink, 1, w32::IidIShellLinkA, link);
    platform.IShellLinkA_SetPath(link, "/usr/bin/vespern");
    platform.QueryInterface(link, w32::IidIPersistFile, persist);
    const std::int32_t result = platform.IPersistFile_Save(persist, file.u16string(), false);
    platform.Release(persist);
    platform.Release(link);
    return result;
}

const std::vector<Writer> writers = {
    { "options file", [](const TempUserDirs& d) { return d.registry / "HKEY_CLASSES_ROOT.reg"; }, saveOptions },
    { "autostart entry", [](const TempUserDirs& d) { return d.config / "autostart" / "vespern.desktop"; },
        saveAutostart },
    { "desktop action file", [](const TempUserDirs& d) { return d.home / "Desktop" / "SHUTDOWN.link"; },
        saveActionFile },
};

struct LinkSafety : ::testing::Test {
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root: a link of another user is made with lchown, and root's writes are the ones "
                            "a planted link could turn";
    }

    // A link at file to target, owned by owner.
    static void plant(const std::filesystem::path& file, const std::filesystem::path& target, uid_t owner)
    {
        std::filesystem::create_directories(file.parent_path());
        std::filesystem::create_symlink(target, file);
        ASSERT_EQ(::lchown(file.c_str(), owner, owner), 0) << std::strerror(errno);
    }

    // Writes through every writer, with the link that plant made for it.
    void expectRefused(const std::function<void(const Writer&, const std::filesystem::path& file)>& prepare,
        const std::function<void(const Writer&)>& check)
    {
        for (const Writer& writer : writers) {
            SCOPED_TRACE(writer.what);
            TempUserDirs dirs;
            std::vector<UserNotice> notices;
            LinuxPlatform platform(
                LinuxPaths {}, [](const std::string&) {}, [&](const UserNotice& n) { notices.push_back(n); });
            const auto file = writer.file(dirs);
            prepare(writer, file);
            EXPECT_NE(writer.write(platform, file), 0);
            EXPECT_TRUE(std::filesystem::is_symlink(file)) << "the link stays as it is";
            ASSERT_FALSE(notices.empty()) << "the user is told";
            EXPECT_EQ(notices.back().kind, NoticeKind::Error);
            // An options file the link leads to that does not read as one is not moved aside either.
            const std::string& told = notices.back().text;
            EXPECT_TRUE(told.starts_with(file.string() + " ")) << told;
            EXPECT_NE(told.find("symbolic link"), std::string::npos) << told;
            EXPECT_NE(told.find("not written"), std::string::npos) << told;
            check(writer);
        }
    }

    TempTree outside;
};

TEST_F(LinkSafety, AnotherUsersLinkToAFileLeavesTheFileAsItWas)
{
    const auto victim = outside / "passwd";
    expectRefused(
        [&](const Writer&, const std::filesystem::path& file) {
            WriteText(victim, "root:x:0:0\n");
            plant(file, victim, otherUser);
        },
        [&](const Writer&) {
            EXPECT_EQ(ReadText(victim), "root:x:0:0\n");
            std::vector<std::string> names;
            for (const auto& entry : std::filesystem::directory_iterator(outside.root()))
                names.push_back(entry.path().filename().string());
            EXPECT_EQ(names, std::vector<std::string> { "passwd" }) << "nothing kept aside, no temporary file";
        });
}

TEST_F(LinkSafety, AnotherUsersDanglingLinkMakesNoFolderAndNoFile)
{
    const auto missing = outside / "made" / "by link";
    expectRefused([&](const Writer&, const std::filesystem::path& file) { plant(file, missing, otherUser); },
        [&](const Writer&) { EXPECT_FALSE(std::filesystem::exists(missing.parent_path())); });
}

TEST_F(LinkSafety, RootFollowsItsOwnLinkOnlyIntoAFolderRootOwns)
{
    const auto folder = outside.directory("users folder");
    ASSERT_EQ(::chown(folder.c_str(), otherUser, otherUser), 0);
    const auto victim = folder / "file";
    expectRefused(
        [&](const Writer&, const std::filesystem::path& file) {
            WriteText(victim, "theirs\n");
            plant(file, victim, 0);
        },
        [&](const Writer&) { EXPECT_EQ(ReadText(victim), "theirs\n"); });
}

TEST_F(LinkSafety, ALockFileLinkIsNotFollowed)
{
    TempUserDirs dirs;
    LinuxPlatform platform(LinuxPaths {}, [](const std::string&) {}, {});
    const auto lockTarget = outside / "lock target";
    plant(dirs.registry / ".HKEY_CLASSES_ROOT.reg.lock", lockTarget, otherUser);
    EXPECT_EQ(saveOptions(platform, {}), 0);
    EXPECT_FALSE(std::filesystem::exists(lockTarget));
    EXPECT_NE(ReadText(dirs.registry / "HKEY_CLASSES_ROOT.reg").find("\"stay on top\"=\"1\""), std::string::npos);
}

} // namespace
} // namespace vespern::test
