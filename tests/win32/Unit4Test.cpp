#include "ui/win32/Unit4.h"
#include "DialogTestLoop.h"
#include "support/MonitorProgram.h"
#include "win32/support/WindowDriver.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

using ui::TForm4Id;

class ConfirmationDialog : public ::testing::Test {
protected:
    ConfirmationDialog()
    {
        program.chooseAction(0);
        events.MirrorTimer("TForm4.Timer1", program.form4.Timer1, [this] { program.form4.Timer1Timer(); });
        events.MirrorTimer("TForm4.Timer2", program.form4.Timer2, [this] { program.form4.Timer2Timer(); });
    }

    HWND control(TForm4Id id) const { return Control(form4.Handle(), +id); }
    int barWidth() const
    {
        RECT bar {};
        ::GetWindowRect(control(TForm4Id::Panel15), &bar);
        return bar.right - bar.left;
    }
    void showCountdown(TargetMode mode)
    {
        events.Handle([this, mode] { program.form4.ShowCountdown(mode); });
    }
    ManualLoop::Timer& timer(const char* name) { return *loop.timers.at(name); }
    // A key as the message loop hands it to the dialog keys of the active window.
    void press(WPARAM key)
    {
        MSG message { ::GetFocus(), WM_KEYDOWN, key, 0, 0, {} };
        ASSERT_TRUE(::IsDialogMessageA(form4.Handle(), &message));
    }

    MonitorProgram program;
    ManualLoop loop;
    UiEvents events { program.application, loop };
    ui::TForm4 form4 { program.form4, events, nullptr };
};

TEST_F(ConfirmationDialog, OpensWithTheQuestionAndTheFocusOnCancel)
{
    EXPECT_FALSE(Visible(form4.Handle()));
    showCountdown(TargetMode::LocalComputer);
    ASSERT_TRUE(Visible(form4.Handle()));
    EXPECT_EQ(Text(form4.Handle()), "Message");
    RECT client {};
    ::GetClientRect(form4.Handle(), &client);
    EXPECT_EQ(client.right, 285);
    EXPECT_EQ(client.bottom, 202);
    const HWND memo = control(TForm4Id::Memo1);
    EXPECT_EQ(Text(memo), " Are you sure wan to Shutdown ?");
    const auto style = ::GetWindowLongPtrA(memo, GWL_STYLE);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_EQ(Text(control(TForm4Id::BitBtn2)), "Cancel");
    EXPECT_EQ(Text(control(TForm4Id::BitBtn1)), "Execute Now");
    EXPECT_EQ(barWidth(), 260);
    EXPECT_EQ(Text(control(TForm4Id::Panel15)), "10 seconds left before the action runs");
    EXPECT_TRUE(PumpUntil([&] { return ::GetFocus() == control(TForm4Id::BitBtn2); }, 2000));
    EXPECT_EQ(timer("TForm4.Timer1").interval, 1000);
    EXPECT_EQ(timer("TForm4.Timer2").interval, 0);
}

TEST_F(ConfirmationDialog, TheBarShrinksEachTickAndItsEndRunsTheAction)
{
    showCountdown(TargetMode::LocalComputer);
    for (int width = 234; width > 0; width -= 26) {
        timer("TForm4.Timer1").Fire();
        ASSERT_EQ(barWidth(), width);
    }
    EXPECT_EQ(Text(control(TForm4Id::Panel15)), "1 second left before the action runs");
    EXPECT_TRUE(program.actions().empty());
    timer("TForm4.Timer1").Fire();
    EXPECT_EQ(program.actions(), std::vector<std::string> { shutdownRequest });
    EXPECT_EQ(barWidth(), 0);
    EXPECT_FALSE(Visible(form4.Handle()));
    EXPECT_EQ(timer("TForm4.Timer1").interval, 0);
}

// Which button each way of answering reaches: the focus starts on "Cancel", so Enter cancels
// unless the user moved to "Execute Now" first.
TEST_F(ConfirmationDialog, CancelEscapeAndEnterAnswerAsTheButtons)
{
    struct Case {
        const char* what;
        std::function<void()> answer;
        bool actionRuns;
    };
    const Case cases[] = {
        { "Cancel clicked", [&] { Click(control(TForm4Id::BitBtn2)); }, false },
        { "Escape", [&] { press(VK_ESCAPE); }, false },
        { "Enter on Cancel", [&] { press(VK_RETURN); }, false },
        { "Enter on Execute Now",
            [&] {
                ::SetFocus(control(TForm4Id::BitBtn1));
                press(VK_RETURN);
            },
            true },
        { "Execute Now clicked", [&] { Click(control(TForm4Id::BitBtn1)); }, true },
    };
    for (const auto& [what, answer, actionRuns] : cases) {
        SCOPED_TRACE(what);
        program.recorder.calls.clear();
        showCountdown(TargetMode::LocalComputer);
        ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == control(TForm4Id::BitBtn2); }, 2000));
        timer("TForm4.Timer1").Fire();
        answer();
        EXPECT_FALSE(Visible(form4.Handle()));
        EXPECT_EQ(timer("TForm4.Timer1").interval, 0);
        EXPECT_EQ(program.actions().size(), actionRuns ? 1U : 0U);
        // Nothing is left to run.
        timer("TForm4.Timer1").Fire();
        EXPECT_EQ(program.actions().size(), actionRuns ? 1U : 0U);
    }
}

TEST_F(ConfirmationDialog, TheTitleBarCloseHidesAndTheCountdownGoesOn)
{
    program.useNetwork();
    program.chooseAction(0);
    showCountdown(TargetMode::NetworkComputer);
    ::SendMessageA(form4.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(Visible(form4.Handle()));
    EXPECT_FALSE(program.form4.Visible);
    EXPECT_EQ(timer("TForm4.Timer2").interval, 1000);
    for (int tick = 0; tick < 10; ++tick)
        timer("TForm4.Timer2").Fire();
    EXPECT_EQ(program.recorder.callsTo({ "InitiateSystemShutdownA" }).size(), 1U);
    EXPECT_EQ(timer("TForm4.Timer2").interval, 0);
}

TEST_F(ConfirmationDialog, ASecondShowOnlyBringsItToTheFront)
{
    showCountdown(TargetMode::LocalComputer);
    timer("TForm4.Timer1").Fire();
    ::SetForegroundWindow(::GetDesktopWindow());
    showCountdown(TargetMode::LocalComputer);
    EXPECT_EQ(barWidth(), 234);
    EXPECT_TRUE(Visible(form4.Handle()));
    EXPECT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == form4.Handle(); }, 2000));
}

} // namespace
} // namespace vespern::test
