#include "support/MonitorProgram.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

// A local Countdown that has fired with confirmation on: the dialog counts.
struct Confirming : MonitorProgram {
    explicit Confirming(bool network = false, int action = 0)
    {
        if (network)
            useNetwork();
        form1.CheckBox2.Checked = true;
        arm(EventKind::Countdown, action);
        ticks(60);
    }
};

TEST(ConfirmationDialog, CountsDown260To0InStepsOf26ThenRunsTheActionOnce)
{
    Confirming program;
    EXPECT_TRUE(program.form4.Visible);
    EXPECT_EQ(program.form4.Memo1.Text, " Are you sure wan to Shutdown ?");
    EXPECT_FALSE(program.form1.Panelproggress.Visible);
    std::vector<int> widths = { program.form4.Panel15.Width };
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(program.actions().empty());
        program.form4.Timer1Timer();
        widths.push_back(program.form4.Panel15.Width);
    }
    EXPECT_EQ(widths, (std::vector<int> { 260, 234, 208, 182, 156, 130, 104, 78, 52, 26, 0 }));
    EXPECT_EQ(program.actions(), std::vector<std::string> { shutdownRequest });
    EXPECT_FALSE(program.form4.Visible);
    EXPECT_FALSE(program.form4.Timer1.Enabled || program.form4.Timer2.Enabled);
    EXPECT_FALSE(program.form1.Timer1.Enabled);
    EXPECT_FALSE(program.form1.Panelcountdwn.Visible || program.form1.Panelproggress.Visible);
    EXPECT_TRUE(program.form1.BitBtn2.Visible);
    EXPECT_FALSE(program.form1.BitBtn4.Visible);
}

TEST(ConfirmationDialog, CancelStopsEverythingAndAReShowStartsFresh)
{
    for (const bool network : { false, true }) {
        Confirming program(network);
        program.dialogTick();
        program.dialogTick();
        program.form4.BitBtn2Click();
        EXPECT_FALSE(program.form4.Visible);
        EXPECT_FALSE(program.form4.Timer1.Enabled || program.form4.Timer2.Enabled);
        EXPECT_FALSE(program.armed());
        EXPECT_EQ(program.form4.Panel15.Width, 208);
        program.form4.Memo1.Text = "edited";
        program.form4.ShowCountdown(TargetMode::LocalComputer);
        EXPECT_EQ(program.form4.Panel15.Width, 260);
        EXPECT_NE(program.form4.Memo1.Text, "edited");
        EXPECT_TRUE(program.actions().empty());
    }
}

TEST(ConfirmationDialog, ExecuteNowRunsThePendingActionAtOnce)
{
    for (const bool network : { false, true }) {
        Confirming program(network);
        program.dialogTick();
        program.form4.BitBtn1Click();
        EXPECT_EQ(program.actions().size(), 1u) << network;
        EXPECT_FALSE(program.form4.Visible);
        EXPECT_FALSE(program.form4.Timer1.Enabled || program.form4.Timer2.Enabled);
        EXPECT_FALSE(program.armed());
        program.ticks(120);
        program.dialogTick();
        EXPECT_EQ(program.actions().size(), 1u) << network;
    }
}

TEST(ConfirmationDialog, TheTitleBarCloseHidesWhileTheCountdownGoesOn)
{
    Confirming program;
    program.dialogTick();
    program.form4.Close();
    EXPECT_FALSE(program.form4.Visible);
    for (int i = 0; i < 3; ++i)
        program.dialogTick();
    EXPECT_EQ(program.form4.Panel15.Width, 156);
    // Shown again while hidden: full bar, the running timer goes on.
    program.form4.ShowCountdown(TargetMode::LocalComputer);
    EXPECT_EQ(program.form4.Panel15.Width, 260);
    EXPECT_EQ(program.form4.FrontRequests, 0U);
    // Shown again while visible: nothing is reset.
    program.dialogTick();
    program.form4.Memo1.Text = "kept";
    program.form4.ShowCountdown(TargetMode::LocalComputer);
    EXPECT_EQ(program.form4.Panel15.Width, 234);
    EXPECT_EQ(program.form4.Memo1.Text, "kept");
    EXPECT_EQ(program.form4.FrontRequests, 1U);
}

TEST(ConfirmationDialog, InNetworkModeTheNetworkTimerRunsAndTheQuestionNamesTheNetworkAction)
{
    Confirming program(true, 1);
    EXPECT_TRUE(program.form4.Timer2.Enabled);
    EXPECT_FALSE(program.form4.Timer1.Enabled);
    EXPECT_EQ(program.form4.Memo1.Text, " Are you sure wan to Reboot ?");
    for (int i = 0; i < 10; ++i)
        program.form4.Timer2Timer();
    EXPECT_EQ(program.recorder.callsTo({ "InitiateSystemShutdownA" }).size(), 1u);
    EXPECT_FALSE(program.form1.Timer2.Enabled);
    EXPECT_FALSE(program.form1.Panelproggressx.Visible);
}

TEST(ConfirmationDialog, WithNoLocalActionTheQuestionNamesThePlaceholder)
{
    MonitorProgram program;
    program.form4.ShowCountdown(TargetMode::LocalComputer);
    EXPECT_EQ(program.form4.Memo1.Text, " Are you sure wan to Action Menu ?");
}

TEST(ConfirmationDialog, AFailedActionLeavesTheDialogWithAnEmptyBarNeverNegative)
{
    Confirming program(true);
    program.script().initiateShutdownFails = true;
    for (int i = 0; i < 15; ++i)
        program.form4.Timer2Timer();
    EXPECT_EQ(program.messages(), std::vector<std::string> { "InitiateSystemShutdown failed." });
    EXPECT_EQ(program.form4.Panel15.Width, 0);
    EXPECT_TRUE(program.form4.Visible);
    EXPECT_TRUE(program.form4.Timer2.Enabled);
    EXPECT_TRUE(program.armed());
    // "Execute Now" tries once more.
    program.script().initiateShutdownFails = false;
    program.form4.BitBtn1Click();
    EXPECT_EQ(program.recorder.callsTo({ "InitiateSystemShutdownA" }).size(), 2u);
    EXPECT_FALSE(program.form4.Visible);
    EXPECT_FALSE(program.armed());
}

TEST(ConfirmationDialog, TicksDuringItsOwnErrorBoxDoNothing)
{
    Confirming program(true);
    program.script().initiateShutdownFails = true;
    for (int i = 0; i < 9; ++i)
        program.form4.Timer2Timer();
    program.dialogs.whileOpen = [&] {
        for (int i = 0; i < 3; ++i) {
            program.form4.Timer2Timer();
            program.form1.Timer2Timer();
        }
    };
    program.form4.Timer2Timer();
    EXPECT_EQ(program.messages(), std::vector<std::string> { "InitiateSystemShutdown failed." });
    EXPECT_EQ(program.recorder.callsTo({ "InitiateSystemShutdownA" }).size(), 1u);
    EXPECT_EQ(program.form4.FrontRequests, 0U);
}

} // namespace
} // namespace vespern::test
