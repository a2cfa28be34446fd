#include "core/ComputerBrowser.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

struct Browse {
    RecordingPlatform recorder;
    std::string edit1;
    ComputerBrowser browser { recorder.platform(), edit1 };

    std::vector<std::string> shellCalls() const
    {
        return recorder.callsTo({ "SHGetSpecialFolderLocation", "SHBrowseForFolderA", "SHGetMallocFree" });
    }
};

TEST(ComputerBrowser, ChosenComputerGoesIntoTheEditWithThePrefix)
{
    Browse f;
    f.recorder.script().browseAnswers = { "SERVER1" };
    f.browser.BitBtn5Click();
    EXPECT_EQ(f.edit1, "\\\\SERVER1");
    EXPECT_EQ(f.shellCalls(),
        (std::vector<std::string> {
            "SHGetSpecialFolderLocation hwnd=application csidl=0x12",
            "SHBrowseForFolderA hwndOwner=application pidlRoot=0x3000 pszDisplayName[261] "
            "lpszTitle=\"Select Computer\" ulFlags=0x1000",
            "SHGetMallocFree pv=0x3100",
            "SHGetMallocFree pv=0x3000",
        }));
}

TEST(ComputerBrowser, CancelKeepsWhateverTheEditHeld)
{
    for (const std::string held : { "", "typed-name", "\\\\OLD" }) {
        Browse f;
        f.edit1 = held;
        f.recorder.script().browseAnswers = { std::nullopt };
        f.browser.BitBtn5Click();
        EXPECT_EQ(f.edit1, held);
        // The network folder is freed on this path too.
        EXPECT_EQ(f.shellCalls().back(), "SHGetMallocFree pv=0x3000");
    }
}

TEST(ComputerBrowser, SecondChoiceReplacesTheFirst)
{
    Browse f;
    f.recorder.script().browseAnswers = { "SERVER1", "SERVER2" };
    f.browser.BitBtn5Click();
    f.browser.BitBtn5Click();
    EXPECT_EQ(f.edit1, "\\\\SERVER2");
}

TEST(ComputerBrowser, NoNetworkFolderMeansNoDialog)
{
    Browse f;
    f.edit1 = "KEPT";
    f.recorder.script().networkFolderFails = true;
    std::string name = "stale";
    EXPECT_FALSE(f.browser.BrowseForComputer("Select Computer", name));
    EXPECT_EQ(name, "");
    f.browser.BitBtn5Click();
    EXPECT_EQ(f.edit1, "KEPT");
    EXPECT_EQ(f.shellCalls(),
        (std::vector<std::string> { "SHGetSpecialFolderLocation hwnd=application csidl=0x12",
            "SHGetSpecialFolderLocation hwnd=application csidl=0x12" }));
}

TEST(ComputerBrowser, ConfirmedEmptyNameIsYesButLeavesTheEdit)
{
    Browse f;
    f.edit1 = "KEPT";
    f.recorder.script().browseAnswers = { "", "" };
    std::string name;
    EXPECT_TRUE(f.browser.BrowseForComputer("Title", name));
    EXPECT_EQ(name, "");
    f.browser.BitBtn5Click();
    EXPECT_EQ(f.edit1, "KEPT");
}

TEST(ComputerBrowser, LongestNameIsCutAtTheBuffer)
{
    Browse f;
    f.recorder.script().browseAnswers = { std::string(400, 'N') };
    std::string name;
    EXPECT_TRUE(f.browser.BrowseForComputer("Title", name));
    EXPECT_EQ(name, std::string(260, 'N'));
}

} // namespace
} // namespace vespern::test
