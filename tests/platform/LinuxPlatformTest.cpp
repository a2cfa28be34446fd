#include "platform/linux/LinuxPlatform.h"
#include "platform/Win32Constants.h"
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

} // namespace
} // namespace vespern::test
