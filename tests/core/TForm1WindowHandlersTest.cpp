#include "core/TForm1Model.h"
#include "support/RecordingDialogs.h"
#include "support/RecordingTrayShell.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

const Balloon forceWarning { "Warning",
    "Using this option force Vespern to shutdown windows without promting to save unsaved data.\r"
    "You will lose any unsaved data in any application that is running.",
    BalloonIconKind::Warning, 10000 };

struct Window {
    explicit Window(std::vector<std::string> arguments = {})
        : form1(recorder.platform(), application, form2, std::move(arguments))
    {
        application.Title = "Vespern";
        form1.TrayIcon1.Attach(&tray);
    }
    // A tray-menu click: the auto-check item toggles before its handler runs.
    void clickForced1()
    {
        form1.Forced1.Checked = !form1.Forced1.Checked;
        form1.Forced1Click();
    }
    void clickCheckBox1()
    {
        form1.CheckBox1.Checked = !form1.CheckBox1.Checked;
        form1.CheckBox1Click();
    }
    // The balloons a person sees: a request that replaces one made in the same event counts once.
    int warningsAfter(const std::function<void()>& event)
    {
        const auto before = tray.balloons.size();
        event();
        const bool shown = tray.balloons.size() > before && tray.balloonShowing;
        if (shown) {
            EXPECT_EQ(tray.balloons.back(), forceWarning);
        }
        return shown ? 1 : 0;
    }

    RecordingPlatform recorder;
    RecordingDialogs dialogs;
    TApplication application { dialogs };
    RecordingTrayShell tray;
    TForm2Model form2 { recorder.platform(), application };
    TForm1Model form1;
};

TEST(UserNotices, AreToldAfterTheEventAsOneBalloonOrAsOneBoxWithoutANotificationArea)
{
    for (const bool area : { true, false }) {
        Window window;
        window.tray.available = area;
        window.application.Dispatch([&] {
            window.application.Notices().Post({ NoticeKind::Warning, "This computer reports no battery." });
            window.application.Notices().Post(
                { NoticeKind::Error, "Shutdown was refused: authentication is required." });
            window.application.Notices().Post({ NoticeKind::Warning, "This computer reports no battery." });
            EXPECT_TRUE(window.tray.balloons.empty()) << "nothing is told inside the event";
            EXPECT_TRUE(window.dialogs.shown.empty());
        });
        const std::string text = "This computer reports no battery.\nShutdown was refused: authentication is required.";
        if (area) {
            ASSERT_EQ(window.tray.balloons.size(), 1u);
            EXPECT_EQ(window.tray.balloons[0], (Balloon { "Vespern", text, BalloonIconKind::Error, 10000 }));
            EXPECT_TRUE(window.dialogs.shown.empty());
        } else {
            EXPECT_EQ(window.dialogs.shown, (std::vector<ShownMessage> { { "Vespern", text, MessageIcon::Error } }));
        }
        window.application.Dispatch([] {});
        EXPECT_EQ(window.tray.balloons.size() + window.dialogs.shown.size(), 1u) << "each notice is told once";
    }
}

TEST(UserNotices, OfAOneShotRunAreABoxBecauseTheBalloonWouldEndWithTheProgram)
{
    Window window({ "/home/alice/Desktop/SHUTDOWN.link" });
    window.tray.available = true;
    window.form1.FormCreate();
    window.application.Dispatch([&] {
        window.form1.FormShow();
        // What the backend posts when the request is refused.
        window.application.Notices().Post({ NoticeKind::Error, "Shutdown was refused: authentication is required" });
    });
    EXPECT_TRUE(window.application.Terminated());
    EXPECT_TRUE(window.tray.balloons.empty());
    EXPECT_EQ(window.dialogs.shown,
        (std::vector<ShownMessage> {
            { "Vespern", "Shutdown was refused: authentication is required", MessageIcon::Error } }));
}

TEST(ForcePair, EitherControlKeepsBothEqualAndWarnsOncePerSwitchOn)
{
    struct Case {
        const char* name;
        void (Window::*click)();
    };
    for (const Case& c :
        { Case { "tray item", &Window::clickForced1 }, Case { "check box", &Window::clickCheckBox1 } }) {
        Window window;
        int warnings = 0;
        warnings += window.warningsAfter([&] { (window.*c.click)(); });
        EXPECT_TRUE(window.form1.Forced1.Checked) << c.name;
        EXPECT_TRUE(window.form1.CheckBox1.Checked) << c.name;
        EXPECT_EQ(warnings, 1) << c.name;
        warnings += window.warningsAfter([&] { (window.*c.click)(); });
        EXPECT_FALSE(window.form1.Forced1.Checked) << c.name;
        EXPECT_FALSE(window.form1.CheckBox1.Checked) << c.name;
        EXPECT_EQ(warnings, 1) << c.name << ": switching off shows nothing";
        warnings += window.warningsAfter([&] { (window.*c.click)(); });
        EXPECT_EQ(warnings, 2) << c.name;
    }
}

TEST(ForcePair, TheTrayItemRequestsTheWarningTwiceAndTheSecondReplacesTheFirst)
{
    Window window;
    window.clickForced1();
    EXPECT_EQ(window.tray.balloons.size(), 2u);
    EXPECT_EQ(window.tray.hides, 2); // every request hides the balloon showing before it
    EXPECT_TRUE(window.tray.balloonShowing);
}

TEST(ConfirmPair, EitherControlKeepsBothEqualWithoutAnyBalloon)
{
    Window window;
    window.form1.ShowMessage1.Checked = true;
    window.form1.ShowMessage1Click();
    EXPECT_TRUE(window.form1.CheckBox2.Checked);
    window.form1.CheckBox2.Checked = false;
    window.form1.CheckBox2Click();
    EXPECT_FALSE(window.form1.ShowMessage1.Checked);
    EXPECT_TRUE(window.tray.balloons.empty());
}

TEST(TargetSwitch, EachSetKeepsItsChoices)
{
    Window window;
    window.form1.ComboBox2.ItemIndex = 3;
    window.form1.RadioGroup1.ItemIndex = 1;
    window.form1.RadioGroup1Click();
    EXPECT_TRUE(window.form1.Panel5.Visible);
    EXPECT_FALSE(window.form1.Panel1.Visible);
    window.form1.ComboBox4.ItemIndex = 1;
    window.form1.RadioGroup1.ItemIndex = 0;
    window.form1.RadioGroup1Click();
    EXPECT_TRUE(window.form1.Panel1.Visible);
    EXPECT_FALSE(window.form1.Panel5.Visible);
    EXPECT_EQ(window.form1.ComboBox2.ItemIndex, 3);
    EXPECT_EQ(window.form1.ComboBox4.ItemIndex, 1);
}

TEST(HelpLink, OpensTheHelpFileBesideTheExecutableFromTheLinkAndTheTrayItem)
{
    Window window;
    window.form1.Label39Click();
    window.form1.Help1Click();
    const std::string expected = "ShellExecuteA hwnd=main lpOperation=NULL lpFile=\"/opt/vespern/Vespern help.chm\" "
                                 "lpParameters=NULL lpDirectory=NULL nShowCmd=5";
    EXPECT_EQ(window.recorder.callsTo({ "ShellExecuteA" }), (std::vector<std::string> { expected, expected }));
    EXPECT_TRUE(window.dialogs.shown.empty());
}

TEST(ShowWindow, TheTrayRequestsAShowAndTheApplicationFlag)
{
    Window window;
    window.application.ShowMainForm = false;
    window.form1.TrayIcon1.Notify(TrayMouseMessage::LButtonDown);
    window.form1.TrayIcon1.Notify(TrayMouseMessage::LButtonUp);
    window.form1.TrayIcon1.Notify(TrayMouseMessage::LButtonDblClk);
    window.form1.TrayIcon1.Notify(TrayMouseMessage::LButtonUp);
    EXPECT_TRUE(window.application.ShowMainForm);
    EXPECT_EQ(window.form1.MainWindowShow.Count, 1u);
    window.form1.ShowWindows1Click();
    EXPECT_EQ(window.form1.MainWindowShow.Count, 2u);
}

TEST(TrayClicks, ASingleClickComesAfterTheDoubleClickTimeAndADoubleClickAlone)
{
    RecordingTrayShell shell;
    TTrayIcon icon;
    icon.Attach(&shell);
    std::vector<std::string> events;
    icon.OnClick = [&] { events.push_back("click"); };
    icon.OnDblClick = [&] { events.push_back("double"); };
    icon.Notify(TrayMouseMessage::LButtonDown);
    EXPECT_EQ(shell.clickTimer, 500);
    icon.Notify(TrayMouseMessage::LButtonUp);
    EXPECT_TRUE(events.empty());
    icon.ClickDelayTick();
    EXPECT_EQ(events, std::vector<std::string> { "click" });
    events.clear();
    icon.Notify(TrayMouseMessage::LButtonDown);
    icon.Notify(TrayMouseMessage::LButtonUp);
    icon.Notify(TrayMouseMessage::LButtonDblClk);
    icon.Notify(TrayMouseMessage::LButtonUp);
    icon.ClickDelayTick();
    EXPECT_EQ(events, std::vector<std::string> { "double" });
    icon.Enabled = false;
    icon.Notify(TrayMouseMessage::LButtonDblClk);
    EXPECT_EQ(events.size(), 1u);
}

TEST(TrayClicks, WithoutADoubleClickHandlerAClickComesAtButtonUp)
{
    RecordingTrayShell shell;
    TTrayIcon icon;
    icon.Attach(&shell);
    int clicks = 0;
    icon.OnClick = [&] { ++clicks; };
    icon.Notify(TrayMouseMessage::LButtonDown);
    EXPECT_EQ(shell.clickTimer, 0);
    icon.Notify(TrayMouseMessage::LButtonUp);
    EXPECT_EQ(clicks, 1);
}

TEST(NoNotificationArea, AStartWithoutArgumentShowsTheWindowAndMinimisingKeepsIt)
{
    Window window;
    window.tray.available = false;
    window.form1.FormCreate();
    EXPECT_TRUE(window.application.ShowMainForm);
    EXPECT_TRUE(window.tray.balloons.empty());
    window.form1.Visible = true;
    window.form1.FormMinimized();
    EXPECT_TRUE(window.form1.Visible);
    window.tray.available = true;
    window.form1.FormMinimized();
    EXPECT_FALSE(window.form1.Visible);
    EXPECT_TRUE(window.tray.iconVisible);
}

} // namespace
} // namespace vespern::test

namespace vespern::test {
namespace {

TEST(TrayRestart, ANewNotificationAreaGetsTheIconOnlyWhenItShouldShow)
{
    RecordingTrayShell shell;
    TTrayIcon icon;
    icon.Attach(&shell);
    icon.SetHint("Vespern");
    icon.SetIconVisible(true);
    shell.iconVisible = false; // the area restarted and forgot the icon
    icon.TaskbarCreated();
    EXPECT_TRUE(shell.iconVisible);
    EXPECT_EQ(shell.tooltip, "Vespern");
    icon.SetIconVisible(false);
    icon.TaskbarCreated();
    EXPECT_FALSE(shell.iconVisible);
}

} // namespace
} // namespace vespern::test
