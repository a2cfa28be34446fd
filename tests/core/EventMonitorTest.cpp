#include "support/MonitorProgram.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

// ---- Countdown -------------------------------------------------------------------------------

TEST(Countdown, FiresOnTick60TimesNWithTheMinuteTextsAndBarWidths)
{
    for (const int minutes : { 1, 2, 3 }) {
        MonitorProgram program;
        program.form1.Timer.Text = std::to_string(minutes);
        program.arm(EventKind::Countdown);
        EXPECT_EQ(program.form1.timeleft.Caption, std::to_string(minutes) + " Minutes Remaining.");
        EXPECT_EQ(program.form1.Paneltimeleft.Width, 240);
        for (int tick = 1; tick <= 60 * minutes; ++tick) {
            EXPECT_TRUE(program.actions().empty()) << minutes << " minutes, before tick " << tick;
            program.tick();
            const int shownMinutes = minutes - tick / 60;
            EXPECT_EQ(program.form1.timeleft.Caption, std::to_string(shownMinutes) + " Minutes Remaining.")
                << "tick " << tick;
            EXPECT_EQ(program.form1.timelefth.Caption, std::to_string(shownMinutes));
            EXPECT_EQ(program.form1.Paneltimeleft.Width, tick % 60 == 0 ? 240 : 240 - 4 * (tick % 60));
        }
        EXPECT_EQ(program.actions(), std::vector<std::string> { shutdownRequest }) << minutes;
        EXPECT_FALSE(program.armed());
        EXPECT_FALSE(program.form1.Timer1.Enabled);
        EXPECT_FALSE(program.form1.Panelcountdwn.Visible);
        EXPECT_FALSE(program.form1.Panelproggress.Visible);
    }
}

TEST(Countdown, MinutesTextThatIsNotAWholeNumberIsReportedOnceAndDisarms)
{
    for (const std::string text : { "", "2.5", "abc" }) {
        MonitorProgram program;
        program.form1.Timer.Text = text;
        program.arm(EventKind::Countdown);
        EXPECT_EQ(program.form1.timeleft.Caption, text + " Minutes Remaining.");
        program.ticks(59);
        EXPECT_TRUE(program.armed());
        program.tick();
        EXPECT_EQ(program.messages(), std::vector<std::string> { "'" + text + "' is not a valid integer value." });
        EXPECT_FALSE(program.armed());
        EXPECT_FALSE(program.form1.Timer1.Enabled);
        program.form1.Timer1Timer(); // a tick already on its way
        EXPECT_EQ(program.dialogs.shown.size(), 1u);
        EXPECT_TRUE(program.actions().empty());
    }
}

TEST(Countdown, ASecondStartBeginsAgainFromTheMinutesFieldWithAFullBar)
{
    MonitorProgram program;
    program.form1.Timer.Text = "2";
    program.arm(EventKind::Countdown);
    program.ticks(70);
    program.form1.BitBtn4Click();
    program.form1.BitBtn2Click();
    EXPECT_EQ(program.form1.timelefth.Caption, "2");
    EXPECT_EQ(program.form1.Paneltimeleft.Width, 240);
    program.ticks(70);
    program.form1.BitBtn2Click(); // Start while armed arms afresh
    EXPECT_EQ(program.form1.timelefth.Caption, "2");
    EXPECT_EQ(program.form1.Paneltimeleft.Width, 240);
    EXPECT_TRUE(program.armed());
}

TEST(Countdown, ANetworkCountdownFiresOnTheSameTick)
{
    MonitorProgram program;
    program.useNetwork();
    program.form1.timerx.Text = "2";
    program.arm(EventKind::Countdown, 1);
    program.ticks(119);
    EXPECT_EQ(program.form1.timeleftx.Caption, "1 Minutes Remaining.");
    EXPECT_EQ(program.form1.Paneltimeleftx.Width, 4);
    EXPECT_TRUE(program.actions().empty());
    program.tick();
    EXPECT_EQ(program.form1.timeleftx.Caption, "0 Minutes Remaining.");
    EXPECT_EQ(program.recorder.callsTo({ "InitiateSystemShutdownA" }).size(), 1u);
    EXPECT_FALSE(program.form1.Timer2.Enabled);
    EXPECT_FALSE(program.form1.Panelcountdwnx.Visible);
}

// ---- On Time ---------------------------------------------------------------------------------

void setClock(MonitorProgram& program, int day, int hour, int minute, int second)
{
    program.script().localTime = SystemTime { 2026, 12, 2, static_cast<std::uint16_t>(day),
        static_cast<std::uint16_t>(hour), static_cast<std::uint16_t>(minute), static_cast<std::uint16_t>(second), 0 };
}

double dayFraction(int hour, int minute, int second)
{
    return 46000.0 + (hour * 3600 + minute * 60 + second) / 86400.0;
}

struct OnTimeCase {
    const char* name;
    int targetSecond; // seconds after 10:00:00 on the day of arming; the clock starts at 10:00:00
    std::vector<int> tickSeconds; // clock at each tick, seconds after the start
    int firingTick; // 1-based, 0 for none
};

TEST(OnTime, FiresAtTheFirstTickAtOrAfterTheScheduledSecondUnlessTheTicksWereMoreThanAMinuteApart)
{
    const std::vector<OnTimeCase> cases = {
        { "exact", 3, { 1, 2, 3, 4 }, 3 },
        { "late tick skips the second", 3, { 1, 2, 4, 5 }, 3 },
        { "first tick already late", 2, { 5, 6 }, 1 },
        { "two ticks in one second fire once", 2, { 1, 2, 2, 3 }, 2 },
        { "equal at Start waits a day", 0, { 1, 2, 3, 86399 }, 0 },
        { "equal at Start fires the next day", 0, { 1, 86399, 86400 }, 3 },
        { "clock set back does not fire", 5, { 1, 2, -100, -99 }, 0 },
        { "a tick a minute late still fires", 30, { 1, 2, 62 }, 3 },
        { "a gap of a minute and a second misses it", 30, { 1, 2, 63, 64, 86399 }, 0 },
        { "a missed time fires on the next day", 30, { 1, 2, 63, 86429, 86430 }, 5 },
        { "woken hours later, past midnight", -60, { 1, 90000, 90001 }, 0 },
        { "and then at the time of the next day", -60, { 1, 90000, 172739, 172740 }, 4 },
    };
    for (const auto& c : cases) {
        MonitorProgram program;
        setClock(program, 8, 10, 0, 0);
        const int target = (c.targetSecond % 86400 + 86400) % 86400 + 36000;
        program.form1.DateTimePickerEx1.DateTime = dayFraction(target / 3600 % 24, target / 60 % 60, target % 60);
        program.arm(EventKind::OnTime);
        int fired = 0;
        for (std::size_t i = 0; i < c.tickSeconds.size(); ++i) {
            const int at = 36000 + c.tickSeconds[i];
            const int day = 8 + (at < 0 ? -1 : at / 86400);
            const int inDay = (at % 86400 + 86400) % 86400;
            setClock(program, day, inDay / 3600, inDay / 60 % 60, inDay % 60);
            program.tick();
            if (fired == 0 && !program.actions().empty())
                fired = static_cast<int>(i) + 1;
        }
        EXPECT_EQ(fired, c.firingTick) << c.name;
        EXPECT_LE(program.actions().size(), 1u) << c.name;
    }
}

TEST(OnTime, ShowsBothTimesInTheLongTimeFormat)
{
    MonitorProgram program;
    program.script().timeFormat = "h:mm:ss tt";
    setClock(program, 8, 21, 5, 9);
    program.form1.DateTimePickerEx1.DateTime = dayFraction(13, 0, 0);
    program.arm(EventKind::OnTime);
    EXPECT_EQ(program.form1.timescedule.Caption, "1:00:00 PM");
    EXPECT_EQ(program.form1.timesceduleh.Caption, "9:05:09 PM");
    setClock(program, 8, 21, 5, 10);
    program.tick();
    EXPECT_EQ(program.form1.timesceduleh.Caption, "9:05:10 PM");
}

// ---- On Process Stops ------------------------------------------------------------------------

TEST(ProcessWatch, FiresOnlyWhenNoProcessHasTheExactName)
{
    MonitorProgram program;
    program.runningProcesses({ "System", "editor.exe", "editor.exe" });
    program.arm(EventKind::OnProcessStops);
    EXPECT_EQ(program.form1.proccesscombo.Items, (std::vector<std::string> { "System", "editor.exe", "editor.exe" }));
    program.form1.proccesscombo.Text = "editor.exe";
    program.form1.BitBtn2Click();
    EXPECT_EQ(program.form1.processnow.Caption, "editor.exe");
    program.tick();
    program.runningProcesses({ "System", "editor.exe" }); // one of the two has ended
    program.tick();
    EXPECT_TRUE(program.actions().empty());
    program.runningProcesses({ "System" });
    program.tick();
    EXPECT_EQ(program.actions(), std::vector<std::string> { shutdownRequest });
    EXPECT_FALSE(program.armed());
}

TEST(ProcessWatch, FiresAtTheFirstTickForANameThatNeverMatches)
{
    for (const std::string watched : { "EDITOR.EXE", "editor", "Select proccess" }) {
        MonitorProgram program;
        program.runningProcesses({ "editor.exe" });
        program.arm(EventKind::OnProcessStops);
        program.form1.proccesscombo.Text = watched;
        program.form1.BitBtn2Click();
        program.tick();
        EXPECT_EQ(program.actions(), std::vector<std::string> { shutdownRequest }) << watched;
    }
}

TEST(ProcessWatch, AFailedSnapshotFires)
{
    MonitorProgram program;
    program.runningProcesses({ "editor.exe" });
    program.form1.proccesscombo.Text = "editor.exe";
    program.arm(EventKind::OnProcessStops);
    program.script().snapshotFails = true;
    program.tick();
    EXPECT_EQ(program.actions(), std::vector<std::string> { shutdownRequest });
}

TEST(ProcessWatch, ChoosingTheEventAgainListsEveryProcessAgain)
{
    MonitorProgram program;
    program.runningProcesses({ "a.exe", "b.exe" });
    for (const int event : { 2, 0, 2 }) {
        program.form1.ComboBox2.ItemIndex = event;
        program.form1.ComboBox2Change();
    }
    EXPECT_EQ(program.form1.proccesscombo.Items, (std::vector<std::string> { "a.exe", "b.exe", "a.exe", "b.exe" }));
    program.useNetwork();
    program.form1.ComboBox4.ItemIndex = 2;
    program.form1.ComboBox4Change();
    EXPECT_EQ(program.form1.proccesscombox.Items, (std::vector<std::string> { "a.exe", "b.exe" }));
}

// ---- Battery Low -----------------------------------------------------------------------------

TEST(Battery, FiresAtOrBelowTheThresholdAndNeverWithoutAReading)
{
    struct Case {
        std::uint8_t reported;
        std::string shown;
        bool fires;
    };
    const std::vector<Case> cases = { { 30, "30 %", true }, { 29, "29 %", true }, { 0, "0 %", true },
        { 31, "31 %", false }, { 255, "-1 %", false } };
    for (const auto& c : cases) {
        MonitorProgram program;
        program.form1.SpinEdit2.Text = "30";
        program.script().batteryLifePercent = c.reported;
        program.arm(EventKind::BatteryLow);
        EXPECT_EQ(program.form1.battlife.Caption, c.shown);
        program.tick();
        EXPECT_EQ(program.actions().size(), c.fires ? 1u : 0u) << c.shown;
        EXPECT_EQ(program.armed(), !c.fires) << c.shown;
    }
}

TEST(Battery, WithoutABatteryItSaysSoOncePerArmingAndWaitsForOne)
{
    for (const bool network : { false, true }) {
        MonitorProgram program;
        if (network)
            program.useNetwork();
        (network ? program.form1.SpinEdit4 : program.form1.SpinEdit2).Text = "100";
        program.script().batteryLifePercent = 255;
        program.arm(EventKind::BatteryLow);
        const auto dispatchedTicks = [&](int count) {
            for (int i = 0; i < count; ++i)
                program.application.Dispatch([&] { program.tick(); });
        };
        dispatchedTicks(5);
        const std::vector<ShownMessage> told = { { "Vespern", NoBatteryNotice, MessageIcon::Warning } };
        EXPECT_EQ(program.dialogs.shown, told) << network;
        EXPECT_TRUE(program.actions().empty()) << network;
        EXPECT_TRUE(program.armed()) << network;
        EXPECT_EQ((network ? program.form1.battlifex : program.form1.battlife).Caption, "-1 %");

        // Armed again: told again, once.
        program.form1.BitBtn4Click();
        program.form1.BitBtn2Click();
        dispatchedTicks(3);
        EXPECT_EQ(program.dialogs.shown.size(), 2u) << network;

        // A battery appears (plugged in, or its driver answers at last).
        program.script().batteryLifePercent = 100;
        dispatchedTicks(1);
        EXPECT_EQ(program.actions().size(), 1u) << network;
        EXPECT_FALSE(program.armed()) << network;
        EXPECT_EQ(program.dialogs.shown.size(), 2u) << network;
    }
}

TEST(Battery, ThresholdTextThatIsNotANumberIsReportedOnceAndDisarms)
{
    MonitorProgram program;
    program.form1.SpinEdit2.Text = "";
    program.arm(EventKind::BatteryLow);
    program.ticks(3);
    EXPECT_EQ(program.messages(), std::vector<std::string> { "'' is not a valid floating point value." });
    EXPECT_FALSE(program.armed());
}

TEST(Battery, NetworkModeReadsThisComputersBatteryAndShutsTheClientDown)
{
    MonitorProgram program;
    program.useNetwork();
    program.form1.SpinEdit4.Text = "50";
    program.script().batteryLifePercent = 40;
    program.arm(EventKind::BatteryLow);
    EXPECT_EQ(program.form1.battlifex.Caption, "40 %");
    program.tick();
    EXPECT_EQ(program.actions(),
        std::vector<std::string> { "InitiateSystemShutdownA lpMachineName=\"\\\\SERVER7\" "
                                   "lpMessage=\"Network computer action activated\" dwTimeout=0 "
                                   "bForceAppsClosed=0 bRebootAfterShutdown=0" });
    EXPECT_FALSE(program.armed());
    EXPECT_FALSE(program.form1.Timer2.Enabled);
    EXPECT_FALSE(program.form1.Panelproggressx.Visible);
}

// ---- Start and Stop ---------------------------------------------------------------------------

TEST(Arming, StartWithASelectionMissingShowsTheNoticeAndArmsNothing)
{
    const std::vector<std::pair<int, int>> selections = { { -1, 0 }, { 0, -1 }, { -1, -1 } };
    for (const bool network : { false, true }) {
        for (const auto& [event, action] : selections) {
            MonitorProgram program;
            if (network)
                program.useNetwork();
            auto& events = network ? program.form1.ComboBox4 : program.form1.ComboBox2;
            events.ItemIndex = event;
            program.chooseAction(action);
            program.form1.BitBtn2Click();
            const std::vector<ShownMessage> expected
                = { { "Vespern", "Please select event and action correctly", MessageIcon::None } };
            EXPECT_EQ(program.dialogs.shown, expected);
            EXPECT_FALSE(program.armed());
            EXPECT_FALSE(program.form1.Timer1.Enabled || program.form1.Timer2.Enabled);
            EXPECT_TRUE(program.form1.RadioGroup1.Enabled);
        }
    }
}

TEST(Arming, OnlyTheCurrentModesListsAreValidated)
{
    MonitorProgram program;
    program.arm(EventKind::Countdown);
    EXPECT_TRUE(program.armed());
    EXPECT_TRUE(program.form1.Timer1.Enabled);
    program.form1.BitBtn4Click();
    program.useNetwork();
    program.form1.ComboBox2.ItemIndex = -1;
    program.arm(EventKind::Countdown);
    EXPECT_TRUE(program.armed());
    EXPECT_TRUE(program.form1.Timer2.Enabled);
    EXPECT_FALSE(program.form1.Timer1.Enabled);
}

TEST(Arming, StartAndStopSwitchTheGroupsButtonsTimerAndProgressOfTheirMode)
{
    for (const bool network : { false, true }) {
        MonitorProgram program;
        if (network)
            program.useNetwork();
        auto& f = program.form1;
        const std::vector<TControl*> groups = network
            ? std::vector<TControl*> { &f.GroupBox3, &f.GroupBox4, &f.GroupBox5, &f.GroupBox6, &f.RadioGroup1 }
            : std::vector<TControl*> { &f.GroupBox1, &f.GroupBox2, &f.GroupBox3, &f.RadioGroup1 };
        TTimer& timer = network ? f.Timer2 : f.Timer1;
        TPanel& progress = network ? f.Panelproggressx : f.Panelproggress;
        program.arm(EventKind::Countdown);
        for (auto* group : groups)
            EXPECT_FALSE(group->Enabled);
        EXPECT_TRUE(timer.Enabled);
        EXPECT_TRUE(progress.Visible);
        EXPECT_TRUE(program.armed());
        f.BitBtn4Click();
        for (auto* group : groups)
            EXPECT_TRUE(group->Enabled);
        EXPECT_FALSE(timer.Enabled);
        EXPECT_FALSE(progress.Visible);
        EXPECT_FALSE(program.armed());
        EXPECT_TRUE(f.BitBtn2.Visible);
        f.BitBtn4Click(); // in Idle: nothing changes
        EXPECT_TRUE(f.BitBtn2.Visible);
        EXPECT_FALSE(f.BitBtn4.Visible);
    }
}

TEST(Arming, EventListChangeShowsOnlyTheChosenSettingsPanel)
{
    MonitorProgram program;
    auto& f = program.form1;
    const std::vector<TPanel*> local = { &f.Panel4, &f.Panel10, &f.Panel11, &f.Panel12, &f.Panel13 };
    f.ComboBox2.ItemIndex = 3;
    f.ComboBox2Change();
    EXPECT_FALSE(f.Panel21.Visible);
    for (std::size_t i = 0; i < local.size(); ++i)
        EXPECT_EQ(local[i]->Visible, i == 3);
    f.ComboBox2.ItemIndex = -1;
    f.ComboBox2Change();
    EXPECT_TRUE(f.Panel12.Visible);
}

TEST(Arming, TheArmedEventsDisplayIsTheOnlyOneShown)
{
    MonitorProgram program;
    program.arm(EventKind::LowCpuUsage);
    program.form1.BitBtn4Click();
    program.arm(EventKind::Countdown);
    EXPECT_TRUE(program.form1.Panelcountdwn.Visible);
    EXPECT_FALSE(program.form1.Panelcpu.Visible);
}

// ---- The state table, row by row ---------------------------------------------------------------

TEST(StateTable, ArmedTickWithConfirmOffRunsTheActionThenIdles)
{
    MonitorProgram program;
    program.form1.SpinEdit2.Text = "100";
    program.arm(EventKind::BatteryLow);
    program.tick();
    EXPECT_EQ(program.actions(), std::vector<std::string> { shutdownRequest });
    EXPECT_FALSE(program.armed());
    EXPECT_FALSE(program.form4.Visible);
}

TEST(StateTable, ArmedTickWithConfirmOnOpensTheDialogAndStaysArmed)
{
    MonitorProgram program;
    program.form1.CheckBox2.Checked = true;
    program.form1.SpinEdit2.Text = "100";
    program.arm(EventKind::BatteryLow);
    program.tick();
    EXPECT_TRUE(program.form4.Visible);
    EXPECT_TRUE(program.form4.Timer1.Enabled);
    EXPECT_FALSE(program.form4.Timer2.Enabled);
    EXPECT_TRUE(program.armed());
    EXPECT_TRUE(program.actions().empty());
    // Confirming: the condition still holds; the dialog only comes to the front.
    program.dialogTick();
    program.tick();
    EXPECT_EQ(program.form4.FrontRequests, 1U);
    EXPECT_EQ(program.form4.Panel15.Width, 234);
    // The countdown ends: the action runs once, then Idle.
    for (int i = 0; i < 9; ++i)
        program.dialogTick();
    EXPECT_EQ(program.actions(), std::vector<std::string> { shutdownRequest });
    EXPECT_FALSE(program.armed());
    EXPECT_FALSE(program.form4.Visible);
}

TEST(StateTable, ConfirmingThenCancelIdlesWithoutAction)
{
    MonitorProgram program;
    program.form1.CheckBox2.Checked = true;
    program.form1.SpinEdit2.Text = "100";
    program.arm(EventKind::BatteryLow);
    program.tick();
    program.form4.BitBtn2Click();
    EXPECT_FALSE(program.armed());
    EXPECT_TRUE(program.actions().empty());
}

TEST(StateTable, ConfirmingThenStopButtonCancelsTheConfirmation)
{
    for (const bool network : { false, true }) {
        MonitorProgram program;
        if (network)
            program.useNetwork();
        program.form1.CheckBox2.Checked = true;
        (network ? program.form1.SpinEdit4 : program.form1.SpinEdit2).Text = "100";
        program.arm(EventKind::BatteryLow);
        program.tick();
        program.dialogTick();
        EXPECT_TRUE(program.form4.Visible);
        program.form1.BitBtn4Click();
        EXPECT_FALSE(program.armed());
        EXPECT_FALSE(program.form4.Visible);
        EXPECT_FALSE(program.form4.Timer1.Enabled || program.form4.Timer2.Enabled);
        program.form4.Timer1Timer(); // ticks already on their way
        program.form4.Timer2Timer();
        for (int i = 0; i < 20; ++i) {
            program.dialogTick();
            program.tick();
        }
        EXPECT_TRUE(program.actions().empty()) << network;
    }
}

TEST(StateTable, NowWhileArmedRunsTheActionAndDisarms)
{
    MonitorProgram program;
    program.arm(EventKind::Countdown, 1);
    EXPECT_TRUE(program.form1.BitBtn1Click());
    EXPECT_EQ(program.actions(), std::vector<std::string> { "ExitWindowsEx uFlags=2 dwReserved=0" });
    EXPECT_FALSE(program.armed());
    EXPECT_FALSE(program.form1.Timer1.Enabled);
}

TEST(StateTable, NowWhileConfirmingRunsTheActionOnceAndCancelsTheConfirmation)
{
    MonitorProgram program;
    program.form1.CheckBox2.Checked = true;
    program.form1.SpinEdit2.Text = "100";
    program.arm(EventKind::BatteryLow);
    program.tick();
    program.dialogTick();
    program.form1.BitBtn1Click();
    EXPECT_EQ(program.actions(), std::vector<std::string> { shutdownRequest });
    EXPECT_FALSE(program.armed());
    EXPECT_FALSE(program.form4.Visible);
    EXPECT_FALSE(program.form4.Timer1.Enabled || program.form4.Timer2.Enabled);
    for (int i = 0; i < 20; ++i)
        program.dialogTick();
    EXPECT_EQ(program.actions(), std::vector<std::string> { shutdownRequest });
}

TEST(StateTable, AFailedRemoteActionIsReportedOnceAndTheEventStaysArmed)
{
    MonitorProgram program;
    program.useNetwork();
    program.script().initiateShutdownFails = true;
    program.form1.SpinEdit4.Text = "100";
    program.arm(EventKind::BatteryLow);
    program.tick();
    EXPECT_EQ(program.messages(), std::vector<std::string> { "InitiateSystemShutdown failed." });
    EXPECT_TRUE(program.armed());
    EXPECT_TRUE(program.form1.Timer2.Enabled);
    // The condition still holds: a later tick, after the box, tries again.
    program.tick();
    EXPECT_EQ(program.dialogs.shown.size(), 2u);
}

TEST(StateTable, TicksDuringAnOpenErrorBoxDoNotFireAgain)
{
    MonitorProgram program;
    program.useNetwork();
    program.script().initiateShutdownFails = true;
    program.form1.SpinEdit4.Text = "100";
    program.arm(EventKind::BatteryLow);
    program.dialogs.whileOpen = [&] {
        for (int i = 0; i < 5; ++i)
            program.form1.Timer2Timer();
        program.form1.Timer1Timer();
    };
    program.tick();
    EXPECT_EQ(program.messages(), std::vector<std::string> { "InitiateSystemShutdown failed." });
    EXPECT_EQ(program.recorder.callsTo({ "InitiateSystemShutdownA" }).size(), 1u);
}

// ---- Now -------------------------------------------------------------------------------------

TEST(Now, RunsTheSelectedActionOfTheModeThenStops)
{
    struct Case {
        bool network;
        int action;
        std::vector<std::string> expected;
    };
    const std::string remote = "InitiateSystemShutdownA lpMachineName=\"\" lpMessage=\"Network computer action "
                               "activated\" dwTimeout=0 bForceAppsClosed=0 bRebootAfterShutdown=";
    const std::vector<Case> cases = {
        { false, -1, {} },
        { false, 3, { "SetSystemPowerState fSuspend=TRUE fForce=TRUE" } },
        { false, 4, { "SetSystemPowerState fSuspend=FALSE fForce=TRUE" } },
        { true, -1, {} },
        { true, 0, { remote + "0" } },
        { true, 1, { remote + "-1" } },
    };
    for (const auto& c : cases) {
        MonitorProgram program;
        if (c.network)
            program.useNetwork("");
        program.arm(EventKind::Countdown, 0);
        program.chooseAction(c.action);
        EXPECT_TRUE(program.form1.BitBtn1Click());
        auto requests = program.recorder.callsTo({ "SetSystemPowerState", "InitiateSystemShutdownA" });
        EXPECT_EQ(requests, c.expected) << c.network << " " << c.action;
        EXPECT_FALSE(program.armed());
    }
}

TEST(Now, AFailedRemoteActionShowsItsErrorAndSkipsStop)
{
    MonitorProgram program;
    program.useNetwork();
    program.arm(EventKind::Countdown, 0);
    program.script().openProcessTokenFails = true;
    EXPECT_FALSE(program.form1.BitBtn1Click());
    const std::vector<ShownMessage> expected = { { "Vespern", "OpenProcessToken failed.", MessageIcon::Error } };
    EXPECT_EQ(program.dialogs.shown, expected);
    EXPECT_TRUE(program.armed());
}

} // namespace
} // namespace vespern::test
