// The native main window as the user meets it, in-process over the recording platform, driven
// through its controls' own messages.

#include "core/TApplication.h"
#include "core/TForm1Model.h"
#include "core/TForm2Model.h"
#include "core/TForm4Model.h"
#include "core/TForm5Model.h"
#include "core/UiEvents.h"
#include "core/WindowSystem.h"
#include "platform/dryrun/TracingPlatform.h"
#include "support/RecordingDialogs.h"
#include "support/RecordingTrayShell.h"
#include "support/ScriptedPlatform.h"
#include "ui/win32/Unit1.h"
#include "ui/win32/Unit4.h"
#include "ui/win32/Win32WindowSystem.h"
#include "win32/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace vespern::test {

namespace {

using namespace vespern::ui;

// The program's windows over the recording platform in its dry run, made in the start-up order,
// with the main window shown.
struct Program {
    // withTray: a notification area to hide in, as the program's start without an argument has.
    explicit Program(bool withTray = false)
    {
        application.Title = "Vespern";
        form1.SetAboutBox(form5);
        MirrorFormTimers(events, form1, form4);
        windows.CreateForm1(forms, events);
        // The recorder stands in for the notification area, there or not.
        tray.available = withTray;
        form1.TrayIcon1.Attach(&tray);
        events.Handle([this] { form1.FormCreate(); });
        if (!application.ShowMainForm)
            return;
        windows.ShowMainForm();
        PumpUntil([this] { return form1.Visible && IsWindowVisible(window()) != FALSE; }, 5000);
    }

    HWND window() const { return windows.MainWindow(); }
    HWND control(int id) const { return Control(window(), id); }
    std::size_t requests(const std::string& line) const
    {
        return static_cast<std::size_t>(std::count(printed.begin(), printed.end(), line));
    }
    // The controls Tab visits, from the first.
    std::vector<int> tabOrder() const
    {
        std::vector<int> ids;
        const HWND first = GetNextDlgTabItem(window(), nullptr, FALSE);
        for (HWND at = first; at != nullptr && ids.size() < 40;) {
            ids.push_back(GetDlgCtrlID(at));
            at = GetNextDlgTabItem(window(), at, FALSE);
            if (at == first)
                break;
        }
        return ids;
    }

    ScriptedPlatform scripted;
    std::vector<std::string> printed;
    TracingPlatform dryRun { scripted, TracingPlatform::Mode::DryRun,
        [this](const std::string& line) { printed.push_back(line); } };
    RecordingDialogs dialogs;
    RecordingTrayShell tray;
    TApplication application { dialogs };
    TForm2Model form2 { dryRun, application };
    TForm1Model form1 { dryRun, application, form2, {} };
    TForm4Model form4 { form1 };
    TForm5Model form5;
    Forms forms { application, form1, form2, form4, form5 };
    Win32WindowSystem windows;
    UiEvents events { application, windows };
};

// A function of its own: a callback of the system is stdcall in the 32-bit program.
BOOL CALLBACK addText(HWND child, LPARAM into)
{
    reinterpret_cast<std::multiset<std::string>*>(into)->insert(Text(child));
    return TRUE;
}

// Every text shown in the window, its controls' and its fixed labels'.
std::multiset<std::string> texts(HWND window)
{
    std::multiset<std::string> found;
    EnumChildWindows(window, addText, reinterpret_cast<LPARAM>(&found));
    return found;
}

SIZE clientSize(HWND window)
{
    RECT client {};
    GetClientRect(window, &client);
    return { client.right, client.bottom };
}

const std::vector<std::string> eventItems { "Countdown", "On Time", "On Process Stops", "Low CPU Usage",
    "Battery Low" };

} // namespace

TEST(Form1Window, ShowsTheBandsControlsAndListsOfTheWindow)
{
    Program p;
    EXPECT_EQ(Text(p.window()), "Vespern");
    const SIZE size = clientSize(p.window());
    EXPECT_EQ(size.cx, TForm1::ClientWidth);
    EXPECT_EQ(size.cy, 26 + 52 + 205 + 73 + 39);

    const std::pair<int, const char*> captions[] = {
        { IdLabel39, "Help" },
        { IdLabel40, "About" },
        { IdRadioGroup1, "Select Computer" },
        { IdRadioGroup1Item0, "Local Computer" },
        { IdRadioGroup1Item1, "Network Computer" },
        { IdGroupBox7, "Computer Name" },
        { IdLabel3, "DESKTOP1" },
        { IdGroupBox2, "Event" },
        { IdComboBox2, "Event Menu" },
        { IdLabel30, "Event Setings" },
        { IdGroupBox1, "Action" },
        { IdComboBox1, "Action Menu" },
        { IdGroupBox6, "Client Computer(s) Name" },
        { IdBitBtn5, "Browse" },
        { IdPanel6, "Event Settings" },
        { IdGroupBox3, "Action Option" },
        { IdCheckBox1, "Force Action" },
        { IdCheckBox2, "Show Confirm Before Execute Action" },
        { IdBitBtn2, "Start" },
        { IdBitBtn4, "Stop" },
        { IdBitBtn1, "Now" },
        { IdBitBtn3, "Option" },
        { Idproccesscombo, "Select proccess" },
        { IdTimer, "1" },
    };
    for (const auto& [id, caption] : captions) {
        ASSERT_NE(p.control(id), nullptr) << caption;
        EXPECT_EQ(Text(p.control(id)), caption);
    }
    EXPECT_EQ(Items(p.control(IdComboBox2)), eventItems);
    EXPECT_EQ(Items(p.control(IdComboBox4)), eventItems);
    EXPECT_EQ(Items(p.control(IdComboBox1)),
        (std::vector<std::string> { "Shutdown", "Reboot", "Log Off", "Sleep/Stand by", "Hibernate", "Lock/Switch User",
            "Hang Up Internet", "Turn Off Monitor", "Show Screensaver" }));
    EXPECT_EQ(Items(p.control(IdComboBox3)), (std::vector<std::string> { "Shutdown", "Reboot" }));

    const auto shown = texts(p.window());
    for (const char* label : { "Set Timer", "Minutes", "On Time : ", "Proccess :", "Below", "%    For", "s", "%",
             "Time Left :", "Time (Scheduled) :", "Time (Now) : ", "Detecting Process :", "Percent Usage :", "Time : ",
             "second", "Battery Life : " })
        EXPECT_TRUE(shown.contains(label)) << label;

    for (const int id : { IdPanel1, IdLabel30, IdBitBtn2, IdBitBtn1, IdBitBtn3 })
        EXPECT_TRUE(Visible(p.control(id))) << id;
    for (const int id : { IdPanel5, IdPanel4, IdBitBtn4, IdPanelproggress, IdPanelproggressx })
        EXPECT_FALSE(Visible(p.control(id))) << id;
    EXPECT_EQ(SendMessageA(p.control(IdRadioGroup1Item0), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST(Form1Window, ChoosingAnEventShowsItsSettingsAloneAndTabVisitsOnlyThose)
{
    Program p;
    const std::vector<int> local { IdPanel4, IdPanel10, IdPanel11, IdPanel12, IdPanel13, IdPanel21 };
    const std::vector<int> firstField { IdTimer, IdDateTimePickerEx1, Idproccesscombo, IdSpinEdit1, IdSpinEdit2 };
    for (int event = 0; event < 5; ++event) {
        Select(p.control(IdComboBox2), event);
        EXPECT_EQ(p.form1.ComboBox2.ItemIndex, event);
        EXPECT_EQ(p.form1.ComboBox2.Text, eventItems[static_cast<std::size_t>(event)]);
        for (std::size_t i = 0; i < local.size(); ++i)
            EXPECT_EQ(Visible(p.control(local[i])), static_cast<int>(i) == event)
                << "event " << event << " panel " << i;
        const auto order = p.tabOrder();
        ASSERT_GE(order.size(), 5U);
        EXPECT_EQ(order[2], IdRadioGroup1Item0);
        EXPECT_EQ(order[3], IdComboBox2);
        EXPECT_EQ(order[4], firstField[static_cast<std::size_t>(event)]) << "event " << event;
    }
    // The CPU settings have two fields, both in the order; the network set's fields none.
    Select(p.control(IdComboBox2), 3);
    EXPECT_EQ(p.tabOrder(),
        (std::vector<int> { IdLabel39, IdLabel40, IdRadioGroup1Item0, IdComboBox2, IdSpinEdit1, IdEdit2, IdComboBox1,
            IdCheckBox1, IdCheckBox2, IdBitBtn2, IdBitBtn1, IdBitBtn3 }));

    // The network set, with its own choice; going back finds the local one as it was.
    Click(p.control(IdRadioGroup1Item1));
    EXPECT_TRUE(Visible(p.control(IdPanel5)));
    EXPECT_FALSE(Visible(p.control(IdPanel1)));
    Select(p.control(IdComboBox4), 4);
    EXPECT_TRUE(Visible(p.control(IdPbattlow)));
    EXPECT_FALSE(Visible(p.control(IdPanel6)));
    Click(p.control(IdRadioGroup1Item0));
    EXPECT_TRUE(Visible(p.control(IdPanel12)));
    EXPECT_EQ(Text(p.control(IdComboBox2)), "Low CPU Usage");
}

TEST(Form1Window, FieldsListsAndChecksReachTheModel)
{
    Program p;
    Select(p.control(IdComboBox2), 0);
    SetText(p.control(IdTimer), "25");
    EXPECT_EQ(p.form1.Timer.Text, "25");
    SendMessageA(p.control(IdTimerArrows), UDM_SETPOS32, 0, 10000);
    SendMessageA(p.control(IdTimer), WM_KEYDOWN, VK_UP, 0); // the arrows stop at the top of the range
    EXPECT_EQ(SendMessageA(p.control(IdTimerArrows), UDM_GETPOS32, 0, 0), 10000);

    Click(p.control(IdRadioGroup1Item1));
    SetText(p.control(IdEdit1), "\\\\SERVER1");
    EXPECT_EQ(p.form1.Edit1.Text, "\\\\SERVER1");

    // Force on from the window checks the tray item; the tray item off unchecks the window's box.
    Click(p.control(IdCheckBox1));
    EXPECT_TRUE(p.form1.CheckBox1.Checked);
    EXPECT_TRUE(p.form1.Forced1.Checked);
    p.events.Handle([&] {
        p.form1.Forced1.Checked = false;
        p.form1.Forced1Click();
    });
    EXPECT_EQ(SendMessageA(p.control(IdCheckBox1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // The links take Enter and Space as a click.
    SendMessageA(p.control(IdLabel40), WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(p.form5.ShowCount, 1);
    // Escape does nothing to the window.
    SendMessageA(p.window(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(Visible(p.window()));
    EXPECT_FALSE(p.application.Terminated());
}

TEST(Form1Window, StartAndStopTakeTurnsAndTheFocusGoesWithThem)
{
    Program p;
    Select(p.control(IdComboBox2), 0);
    Select(p.control(IdComboBox1), 1);
    SetText(p.control(IdTimer), "3");
    SetFocus(p.control(IdBitBtn2));
    Click(p.control(IdBitBtn2));
    EXPECT_TRUE(Visible(p.control(IdBitBtn4)));
    EXPECT_FALSE(Visible(p.control(IdBitBtn2)));
    EXPECT_EQ(GetFocus(), p.control(IdBitBtn4));
    EXPECT_TRUE(Visible(p.control(IdPanelcountdwn)));
    EXPECT_EQ(Text(p.control(Idtimeleft)), "3 Minutes Remaining.");
    EXPECT_EQ(clientSize(p.window()).cy, 395 + 40);
    for (const int id : { IdRadioGroup1Item0, IdComboBox2, IdComboBox1, IdCheckBox1, IdTimer })
        EXPECT_FALSE(Enabled(p.control(id))) << id;

    Click(p.control(IdBitBtn4));
    EXPECT_TRUE(Visible(p.control(IdBitBtn2)));
    EXPECT_FALSE(Visible(p.control(IdBitBtn4)));
    EXPECT_EQ(GetFocus(), p.control(IdBitBtn2));
    EXPECT_EQ(clientSize(p.window()).cy, 395);
    EXPECT_TRUE(Enabled(p.control(IdComboBox2)));
    EXPECT_TRUE(p.requests("ExitWindowsEx uFlags=2 dwReserved=0") == 0);
}

TEST(Form1Window, NowRunsTheChosenActionOnce)
{
    Program p;
    Select(p.control(IdComboBox1), 2); // "Log Off"
    Click(p.control(IdBitBtn1));
    EXPECT_EQ(p.requests("ExitWindowsEx uFlags=0 dwReserved=0"), 1U);
    EXPECT_TRUE(p.dialogs.shown.empty());
}

TEST(Form1Window, AConfirmedCountdownEndsInItsRequestOnTheFastClock)
{
    Program p;
    p.form1.Timer1.Interval = 1;
    p.form4.Timer1.Interval = 1;
    Select(p.control(IdComboBox2), 0); // one minute
    Select(p.control(IdComboBox1), 0); // "Shutdown"
    Click(p.control(IdCheckBox2));
    EXPECT_TRUE(p.form1.ShowMessage1.Checked);
    Click(p.control(IdBitBtn2));
    ASSERT_TRUE(p.form1.Timer1.Enabled);

    // Sixty ticks make the minute; then the confirmation counts its ten steps, as fast as the
    // messages run, so the dialog's showing is seen by a view of its own.
    bool confirmationShown = false;
    std::string timeLeftThen;
    p.events.AddView(&confirmationShown, [&] {
        if (p.form4.Visible && !confirmationShown)
            timeLeftThen = p.form1.timeleft.Caption;
        confirmationShown = confirmationShown || p.form4.Visible;
    });
    EXPECT_TRUE(PumpUntil([&] { return p.requests("ExitWindowsEx uFlags=1 dwReserved=0") > 0; }, 20000));
    EXPECT_TRUE(confirmationShown);
    EXPECT_EQ(timeLeftThen, "0 Minutes Remaining.");
    EXPECT_FALSE(p.form4.Visible);
    PumpUntil([] { return false; }, 100);
    p.events.RemoveView(&confirmationShown);
    EXPECT_EQ(p.requests("ExitWindowsEx uFlags=1 dwReserved=0"), 1U);
    EXPECT_TRUE(Visible(p.control(IdBitBtn2)));
    EXPECT_FALSE(Visible(p.control(IdPanelproggress)));
    EXPECT_EQ(clientSize(p.window()).cy, 395);
}

// How the user answers the confirmation dialog of a countdown that has run out, in the native
// dialog the main window opens, and how many shutdowns follow.
struct ConfirmationAnswer {
    const char* name;
    std::function<void(HWND dialog)> answer;
    std::size_t shutdowns;
};

TEST(Form1Window, TheConfirmationOfACountdownOpensInItsOwnWindowAndTheAnswerDecides)
{
    const ConfirmationAnswer answers[] = {
        { "Execute Now", [](HWND dialog) { Click(Control(dialog, +TForm4Id::BitBtn1)); }, 1 },
        { "Cancel", [](HWND dialog) { Click(Control(dialog, +TForm4Id::BitBtn2)); }, 0 },
        // Enter presses the focused button, which is "Cancel" when the dialog opens.
        { "Enter", [](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDOK, 0); }, 0 },
        { "Escape", [](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }, 0 },
    };
    for (const auto& answer : answers) {
        SCOPED_TRACE(answer.name);
        Program p;
        p.windows.CreateForm4(p.forms, p.events);
        const HWND dialog = FindWindowA("TForm4", "Message");
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(Visible(dialog));
        p.form1.Timer1.Interval = 1; // the minute on the fast clock; the dialog's own steps take seconds
        Select(p.control(IdComboBox2), 0); // one minute
        Select(p.control(IdComboBox1), 0); // "Shutdown"
        Click(p.control(IdCheckBox2));
        Click(p.control(IdBitBtn2));
        ASSERT_TRUE(p.form1.Timer1.Enabled);
        ASSERT_TRUE(PumpUntil([&] { return Visible(dialog); }, 20000));
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), p.window());
        EXPECT_EQ(Text(Control(dialog, +TForm4Id::Memo1)), " Are you sure wan to Shutdown ?");
        EXPECT_EQ(GetFocus(), Control(dialog, +TForm4Id::BitBtn2));
        EXPECT_EQ(p.requests("ExitWindowsEx uFlags=1 dwReserved=0"), 0U);

        answer.answer(dialog);
        EXPECT_FALSE(Visible(dialog));
        EXPECT_EQ(GetActiveWindow(), p.window()); // the keyboard is back in the main window
        EXPECT_FALSE(p.form4.Timer1.Enabled);
        EXPECT_TRUE(Visible(p.control(IdBitBtn2)));
        EXPECT_FALSE(Visible(p.control(IdBitBtn4)));
        // Nothing more comes of it once answered: not even after a step of the dialog's own.
        PumpUntil([] { return false; }, 1100);
        EXPECT_EQ(p.requests("ExitWindowsEx uFlags=1 dwReserved=0"), answer.shutdowns);
    }
}

TEST(Form1Window, StartsHiddenInTheTrayMinimisesToItAndComesBackFromIt)
{
    Program p(true);
    EXPECT_FALSE(Visible(p.window()));
    ASSERT_FALSE(p.tray.balloons.empty());
    EXPECT_EQ(p.tray.balloons.front().title, "Vespern Information");

    p.events.Handle([&] { p.form1.TrayIcon1DblClick(); });
    EXPECT_TRUE(Visible(p.window()));
    EXPECT_TRUE(p.form1.Visible);
    ShowWindow(p.window(), SW_MINIMIZE);
    EXPECT_TRUE(PumpUntil([&] { return !Visible(p.window()); }, 5000));
    EXPECT_FALSE(p.form1.Visible);
    EXPECT_TRUE(p.tray.iconVisible);

    p.events.Handle([&] { p.form1.ShowWindows1Click(); });
    EXPECT_TRUE(Visible(p.window()));
    EXPECT_FALSE(IsIconic(p.window()));
    EXPECT_EQ(clientSize(p.window()).cy, 395);
}

TEST(Form1Window, MinimisingWithoutANotificationAreaKeepsTheWindowAndClosingEndsTheProgram)
{
    Program p;
    ShowWindow(p.window(), SW_MINIMIZE);
    // Without a notification area to hide in, the window stays where the user can reach it.
    PumpUntil([] { return false; }, 100);
    EXPECT_TRUE(p.form1.Visible);

    p.events.Handle([&] { p.form1.ShowWindows1Click(); });
    EXPECT_FALSE(IsIconic(p.window()));
    SendMessageA(p.window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(p.application.Terminated());
    EXPECT_FALSE(Visible(p.window()));
}

} // namespace vespern::test

namespace vespern::test {

TEST(Win32WindowSystem, TimersTickUntilStoppedAndTheLoopEndsWhenAsked)
{
    ui::Win32WindowSystem windows;
    int first = 0;
    int second = 0;
    auto timer = windows.CreateTimer("first", [&] { ++first; });
    auto other = windows.CreateTimer("second", [&] { ++second; });
    timer->Start(1);
    other->Start(1);
    EXPECT_TRUE(PumpUntil([&] { return first >= 3 && second >= 3; }, 5000));
    timer->Stop();
    other.reset(); // a timer that goes stops with it
    const int stoppedAt = first;
    const int goneAt = second;
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(first, stoppedAt);
    EXPECT_EQ(second, goneAt);

    // Restarted, it ticks again; the loop, asked to end, returns at once.
    timer->Start(1);
    EXPECT_TRUE(PumpUntil([&] { return first > stoppedAt; }, 5000));
    windows.EndMessageLoop();
    EXPECT_EQ(windows.RunMessageLoop(), EXIT_SUCCESS);
}

} // namespace vespern::test
