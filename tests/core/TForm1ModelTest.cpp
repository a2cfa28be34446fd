#include "core/TForm1Model.h"
#include "support/RecordingDialogs.h"
#include "support/RecordingTrayShell.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

struct Program {
    explicit Program(std::vector<std::string> arguments)
        : form2(recorder.platform(), application)
        , form1(recorder.platform(), application, form2, std::move(arguments))
    {
        application.Title = "Vespern";
        form1.TrayIcon1.Attach(&tray);
    }

    // Start-up as the program entry does it: create, then show when the window is to be shown.
    void start()
    {
        form1.FormCreate();
        if (application.ShowMainForm)
            form1.FormShow();
    }

    std::vector<std::string> requests() const
    {
        return recorder.callsTo({ "ExitWindowsEx", "SetSystemPowerState", "LockWorkStation", "SendMessageA",
            "DefWindowProcA", "InternetAutodialHangup", "ShellExecuteA", "SHEmptyRecycleBinA" });
    }

    RecordingPlatform recorder;
    RecordingDialogs dialogs;
    TApplication application { dialogs };
    RecordingTrayShell tray;
    TForm2Model form2 { recorder.platform(), application };
    TForm1Model form1;
};

TEST(StartUp, WithoutAnArgumentTheProgramStaysHiddenInTheTrayWithOneBalloon)
{
    Program program({});
    program.start();
    EXPECT_FALSE(program.application.ShowMainForm);
    EXPECT_FALSE(program.application.Terminated());
    EXPECT_EQ(program.form1.Label3.Caption, "DESKTOP1");
    EXPECT_TRUE(program.tray.iconVisible);
    EXPECT_EQ(program.tray.tooltip, "Vespern");
    const std::vector<Balloon> expected = { { "Vespern Information",
        "Double click icon to show windows and Right click to view popup menu", BalloonIconKind::Info, 10000 } };
    EXPECT_EQ(program.tray.balloons, expected);
    EXPECT_TRUE(program.requests().empty());
}

TEST(StartUp, AnActionFileArgumentRunsItsActionOnceAndEnds)
{
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
        { { "/home/someone/Desktop/SHUTDOWN.link" }, { "ExitWindowsEx uFlags=1 dwReserved=0" } },
        { { "SHUTDOWN.link" }, { "ExitWindowsEx uFlags=1 dwReserved=0" } },
        { { "C:SHUTDOWN.link" }, { "ExitWindowsEx uFlags=1 dwReserved=0" } },
        { { "/home/someone/Desktop/SWITCH USER.link" }, { "LockWorkStation" } },
        { { "/d/REBOOT.link", "/d/SHUTDOWN.link" }, { "ExitWindowsEx uFlags=2 dwReserved=0" } },
        { { "/d/shutdown.link" }, {} },
        { { "/d/SHUTDOWN.lnk" }, {} },
        { { "x" }, {} },
    };
    for (const auto& [arguments, expected] : cases) {
        Program program(arguments);
        program.start();
        EXPECT_EQ(program.requests(), expected) << arguments.front();
        EXPECT_TRUE(program.application.Terminated()) << arguments.front();
        EXPECT_TRUE(program.tray.balloons.empty()) << arguments.front();
    }
}

TEST(StartUp, AnActionFromTheCommandLineIsNeverForced)
{
    Program program({ "LOG OFF.link" });
    program.form1.FormCreate();
    program.form1.FormShow();
    EXPECT_EQ(program.requests(), std::vector<std::string> { "ExitWindowsEx uFlags=0 dwReserved=0" });
}

TEST(StartUp, TheTrayMenuReadsTheForceItemAtTheMomentItRuns)
{
    Program program({});
    program.start();
    program.form1.Forced1.Checked = true;
    program.form1.Reboot1Click();
    program.form1.Forced1.Checked = false;
    program.form1.Reboot1Click();
    const std::vector<std::string> expected
        = { "ExitWindowsEx uFlags=6 dwReserved=0", "ExitWindowsEx uFlags=2 dwReserved=0" };
    EXPECT_EQ(program.requests(), expected);
    EXPECT_FALSE(program.application.Terminated());
}

} // namespace
} // namespace vespern::test
