#include "platform/linux/LinuxPlatform.h"
#include "core/DesktopActionFiles.h"
#include "core/RemoteAction.h"
#include "core/VespernError.h"
#include "platform/CodePageText.h"
#include "platform/Win32Constants.h"
#include "support/RecordingDialogs.h"
#include "support/TempUserDirs.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

TEST(LinuxPlatform, EveryErrorIsOneLineWithoutControlCharacters)
{
    TempUserDirs dirs;
    std::vector<std::string> errors;
    LinuxPaths paths;
    paths.opener = "no-such-opener\n\x1b[2Jvespern: everything is fine";
    LinuxPlatform platform(paths, [&](const std::string& line) { errors.push_back(line); });
    WriteText(dirs.home / "notes.txt", "a document");
    EXPECT_LE(platform.ShellExecuteA(
                  Window::Main, std::nullopt, (dirs.home / "notes.txt").string(), std::nullopt, std::nullopt, 5),
        32);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].starts_with("vespern: cannot open ")) << errors[0];
    EXPECT_EQ(errors[0].find_first_of("\n\r\x1b"), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find("no-such-opener  [2Jvespern"), std::string::npos) << errors[0];
}

TEST(LinuxPlatform, TheProgramPathIsThatOfTheInstalledFileAlsoAfterAnUpdateReplacedIt)
{
    TempUserDirs dirs;
    LinuxPaths paths;
    paths.procRoot = dirs.root / "proc";
    std::filesystem::create_directories(paths.procRoot / "self");
    LinuxPlatform platform(paths, [](const std::string&) {});
    const auto program = (dirs.root / "bin" / "vespern").string();
    std::filesystem::create_symlink(program + " (deleted)", paths.procRoot / "self" / "exe");
    EXPECT_EQ(platform.GetModuleFileNameA(0), program);

    // A file that really has that name keeps it.
    WriteText(program + " (deleted)", "");
    EXPECT_EQ(platform.GetModuleFileNameA(0), program + " (deleted)");
    std::filesystem::remove(paths.procRoot / "self" / "exe");
    std::filesystem::create_symlink(program, paths.procRoot / "self" / "exe");
    EXPECT_EQ(platform.GetModuleFileNameA(0), program);
}

// A desktop folder named in an older code page: the link goes into it, not into a new folder
// whose name was re-encoded on the way.
TEST(LinuxPlatform, ALinkGoesIntoAFolderWhoseNameIsNotUtf8)
{
    TempUserDirs dirs;
    LinuxPlatform platform(LinuxPaths {}, [](const std::string&) {});
    const std::string desktop = (dirs.root / "Caf\xE9 \xC3 B\xFCro").string();
    std::filesystem::create_directory(desktop);
    const std::string link = desktop + "\\SHUTDOWN.link";
    EXPECT_EQ(CodePageFromUtf16(Utf16FromCodePage(link)), link);
    EXPECT_EQ(CodePageFromUtf16(Utf16FromCodePage("\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80")),
        "\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80");
    CreateShellLink(platform, desktop + "\\", "/usr/bin/vespern", "", Utf16FromCodePage(link), "shutdown",
        "/usr/bin/Vespern.ico", 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(desktop + "/SHUTDOWN.link"));
    std::vector<std::string> made;
    for (const auto& entry : std::filesystem::directory_iterator(dirs.root))
        made.push_back(entry.path().filename().string());
    std::sort(made.begin(), made.end());
    EXPECT_EQ(made, (std::vector<std::string> { "Caf\xE9 \xC3 B\xFCro", "home" }));
}

// The remote action's steps over this backend: each refusal ends in the message the user is
// promised, after one line that says why.
TEST(LinuxPlatform, RemoteActionsEndInTheirMessagesOverThisBackend)
{
    TempUserDirs dirs;
    dirs.set("VESPERN_SMB_PORT", "1"); // nothing listens there
    const std::string lookupFailed = "You do not have Remote Shutdown Privilege on this\r"
                                     "computer, or computer is not a Windows NT computer,\r"
                                     "or computer cannot be found on the network.";
    struct Case {
        std::string client;
        std::string message;
        std::string line;
    };
    const Case cases[] = {
        { "", "InitiateSystemShutdown failed.", "no computer name given" },
        { "\\\\bad name", lookupFailed, "\"bad name\" is not a valid computer name" },
        { "\\\\127.0.0.1", "InitiateSystemShutdown failed.", "no SMB connection on port 1" },
    };
    for (const auto& c : cases) {
        std::vector<std::string> errors;
        LinuxPlatform platform(LinuxPaths {}, [&](const std::string& line) { errors.push_back(line); });
        RecordingDialogs dialogs;
        const bool off = false;
        const std::string none;
        LocalActions local { platform, dialogs, LocalActionInputs { off, off, none, off } };
        RemoteAction remote { platform, local, RemoteActionInputs { c.client, off, off } };
        std::string shown;
        try {
            remote.RunRemoteAction(RemoteActionKind::Shutdown);
        } catch (const VespernError& error) {
            shown = error.what();
        }
        EXPECT_EQ(shown, c.message) << c.client;
        ASSERT_EQ(errors.size(), 1u) << c.client;
        EXPECT_TRUE(errors[0].starts_with("vespern: ")) << errors[0];
        EXPECT_NE(errors[0].find(c.line), std::string::npos) << errors[0];
    }
}

} // namespace
} // namespace vespern::test
