#include "core/HelpFile.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vespern::test {
namespace {

std::vector<std::string> helpRequests(const std::string& executable)
{
    RecordingPlatform recorder;
    recorder.script().moduleFileName = executable;
    OpenHelp(recorder.platform());
    return recorder.callsTo({ "GetModuleFileNameA", "ShellExecuteA" });
}

TEST(HelpFile, OpensTheFileBesideTheExecutable)
{
    EXPECT_EQ(helpRequests("/opt/vespern/vespern"),
        (std::vector<std::string> { "GetModuleFileNameA hModule=0x0",
            "ShellExecuteA hwnd=main lpOperation=NULL lpFile=\"/opt/vespern/Vespern help.chm\" lpParameters=NULL "
            "lpDirectory=NULL nShowCmd=5" }));
    EXPECT_EQ(helpRequests("C:\\Program Files\\Vespern\\Project1.exe").back(),
        "ShellExecuteA hwnd=main lpOperation=NULL lpFile=\"C:\\Program Files\\Vespern\\Vespern help.chm\" "
        "lpParameters=NULL lpDirectory=NULL nShowCmd=5");
}

TEST(HelpFile, BuiltBesideTheProgram)
{
    const std::string helpFile = VESPERN_HELP_FILE;
    if (helpFile.empty())
        GTEST_SKIP() << "the help file was not built (no CHM compiler)";
    const std::filesystem::path program = VESPERN_PROGRAM;
    EXPECT_EQ(std::filesystem::path(helpFile), program.parent_path() / HelpFileName);
    ASSERT_TRUE(std::filesystem::is_regular_file(helpFile));
    EXPECT_GT(std::filesystem::file_size(helpFile), 0u);

    RecordingPlatform recorder;
    recorder.script().moduleFileName = program.string();
    EXPECT_EQ(HelpFilePath(recorder.platform()), helpFile);
}

} // namespace
} // namespace vespern::test
