#include "core/LocalActions.h"
#include "support/RecordingDialogs.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

struct Fixture {
    RecordingPlatform recorder;
    RecordingDialogs dialogs;
    bool forced = false;
    bool runProgram = false;
    std::string programPath;
    bool emptyRecycleBin = false;
    LocalActions actions { recorder.platform(), dialogs,
        LocalActionInputs { forced, runProgram, programPath, emptyRecycleBin } };

    // The requests that change the system, in order.
    std::vector<std::string> requests() const
    {
        return recorder.callsTo({ "ExitWindowsEx", "SetSystemPowerState", "LockWorkStation", "SendMessageA",
            "DefWindowProcA", "InternetAutodialHangup", "ShellExecuteA", "Sleep", "SHEmptyRecycleBinA" });
    }
};

const std::string privilegeLookup = "LookupPrivilegeValueA lpSystemName=NULL lpName=\"SeShutdownPrivilege\"";
const std::string monitorOff = "SendMessageA hWnd=application Msg=0x0112 wParam=0xF170 lParam=2";
const std::string monitorOn = "SendMessageA hWnd=application Msg=0x0112 wParam=0xF170 lParam=0";
const std::string screensaver = "DefWindowProcA hWnd=main Msg=0x0112 wParam=0xF140 lParam=0";

struct ActionCase {
    ActionKind kind;
    std::vector<std::string> unforced;
    std::vector<std::string> forced;
};

const std::vector<ActionCase> actionCases = {
    { ActionKind::Shutdown, { "ExitWindowsEx uFlags=1 dwReserved=0" }, { "ExitWindowsEx uFlags=5 dwReserved=0" } },
    { ActionKind::Reboot, { "ExitWindowsEx uFlags=2 dwReserved=0" }, { "ExitWindowsEx uFlags=6 dwReserved=0" } },
    { ActionKind::LogOff, { "ExitWindowsEx uFlags=0 dwReserved=0" }, { "ExitWindowsEx uFlags=4 dwReserved=0" } },
    { ActionKind::StandBy, { monitorOff, "SetSystemPowerState fSuspend=TRUE fForce=TRUE" },
        { monitorOff, "SetSystemPowerState fSuspend=TRUE fForce=TRUE" } },
    { ActionKind::Hibernate, { monitorOff, "SetSystemPowerState fSuspend=FALSE fForce=TRUE" },
        { monitorOff, "SetSystemPowerState fSuspend=FALSE fForce=TRUE" } },
    { ActionKind::LockSwitchUser, { "LockWorkStation" }, { "LockWorkStation" } },
    { ActionKind::HangUp, { "InternetAutodialHangup dwReserved=0" }, { "InternetAutodialHangup dwReserved=0" } },
    { ActionKind::TurnOffMonitor, { monitorOff, monitorOn }, { monitorOff, monitorOn } },
    { ActionKind::ShowScreensaver, { screensaver }, { screensaver } },
};

TEST(LocalActions, EachActionEndsInItsRequestAndOnlyTheSessionEndingOnesHonourForce)
{
    for (const auto& row : actionCases) {
        for (const bool forced : { false, true }) {
            Fixture f;
            f.forced = forced;
            f.actions.RunLocalAction(row.kind);
            EXPECT_EQ(f.requests(), forced ? row.forced : row.unforced)
                << Info(row.kind).handler << (forced ? " forced" : " unforced");
        }
    }
}

TEST(LocalActions, SessionRequestsEnableTheShutdownPrivilegeFirst)
{
    Fixture f;
    f.actions.Shutdown1Click();
    const auto steps = f.recorder.callsTo(
        { "GetVersionExA", "OpenProcessToken", "LookupPrivilegeValueA", "AdjustTokenPrivileges", "ExitWindowsEx" });
    const std::vector<std::string> expected = {
        "GetVersionExA",
        "OpenProcessToken ProcessHandle=GetCurrentProcess() DesiredAccess=0x28",
        privilegeLookup,
        "AdjustTokenPrivileges TokenHandle=0x1000 DisableAllPrivileges=FALSE PrivilegeCount=1 Luid=0:19 "
        "Attributes=2 BufferLength=0 PreviousState=NULL",
        "ExitWindowsEx uFlags=1 dwReserved=0",
    };
    EXPECT_EQ(steps, expected);
}

TEST(LocalActions, OutsideTheNtFamilyOnlyTheUnprivilegedRequestsRemain)
{
    const std::vector<std::pair<ActionKind, std::vector<std::string>>> cases = {
        { ActionKind::Shutdown, {} },
        { ActionKind::Reboot, {} },
        { ActionKind::LogOff, {} },
        { ActionKind::ShowScreensaver, {} },
        { ActionKind::TurnOffMonitor, { monitorOn } },
        { ActionKind::StandBy, { "SetSystemPowerState fSuspend=TRUE fForce=TRUE" } },
        { ActionKind::Hibernate, { "SetSystemPowerState fSuspend=FALSE fForce=TRUE" } },
        { ActionKind::LockSwitchUser, { "LockWorkStation" } },
        { ActionKind::HangUp, { "InternetAutodialHangup dwReserved=0" } },
    };
    for (const auto& [kind, expected] : cases) {
        Fixture f;
        f.recorder.script().platformId = 1;
        f.forced = true;
        f.actions.RunLocalAction(kind);
        EXPECT_EQ(f.requests(), expected) << Info(kind).handler;
        EXPECT_TRUE(f.recorder.callsTo({ "OpenProcessToken", "AdjustTokenPrivileges" }).empty());
    }
}

TEST(LocalActions, HangUpWithoutAConnectionMakesNoHangUpCall)
{
    Fixture f;
    f.recorder.script().connected = false;
    f.actions.HangUp1Click();
    EXPECT_EQ(f.recorder.callsTo({ "InternetGetConnectedState" }),
        std::vector<std::string> { "InternetGetConnectedState lpdwFlags=7 dwReserved=0" });
    EXPECT_TRUE(f.recorder.callsTo({ "InternetAutodialHangup" }).empty());
}

TEST(LocalActions, PreActionStepsRunInOrderBeforeEveryAction)
{
    for (const auto& row : actionCases) {
        Fixture f;
        f.runProgram = true;
        f.programPath = "/usr/bin/backup";
        f.emptyRecycleBin = true;
        f.actions.RunLocalAction(row.kind);
        const auto requests = f.requests();
        ASSERT_GE(requests.size(), 4u) << Info(row.kind).handler;
        EXPECT_EQ(requests[0],
            "ShellExecuteA hwnd=main lpOperation=NULL lpFile=\"/usr/bin/backup\" lpParameters=NULL "
            "lpDirectory=NULL nShowCmd=5");
        EXPECT_EQ(requests[1], "Sleep dwMilliseconds=10000");
        EXPECT_EQ(requests[2], "SHEmptyRecycleBinA hwnd=application pszRootPath=NULL dwFlags=7");
        EXPECT_EQ(std::vector<std::string>(requests.begin() + 3, requests.end()), row.unforced);
    }
}

TEST(LocalActions, AnEmptyProgramPathStillWaitsTenSeconds)
{
    Fixture f;
    f.runProgram = true;
    f.actions.LockSwitchUser1Click();
    const std::vector<std::string> expected = {
        "ShellExecuteA hwnd=main lpOperation=NULL lpFile=\"\" lpParameters=NULL lpDirectory=NULL nShowCmd=5",
        "Sleep dwMilliseconds=10000",
        "LockWorkStation",
    };
    EXPECT_EQ(f.requests(), expected);
}

TEST(LocalActions, RecycleBinFailuresAreReportedOrSkippedAndTheActionGoesOn)
{
    Fixture failing;
    failing.emptyRecycleBin = true;
    failing.recorder.script().loadLibraryFails = true;
    failing.actions.LockSwitchUser1Click();
    const std::vector<ShownMessage> expected = { { "Error", "Failed to load Shell32.dll.", MessageIcon::Error } };
    EXPECT_EQ(failing.dialogs.shown, expected);
    EXPECT_EQ(failing.requests(), std::vector<std::string> { "LockWorkStation" });
    EXPECT_TRUE(failing.recorder.callsTo({ "FreeLibrary" }).empty());

    Fixture missing;
    missing.emptyRecycleBin = true;
    missing.recorder.script().recycleBinEntryMissing = true;
    missing.actions.LockSwitchUser1Click();
    EXPECT_TRUE(missing.dialogs.shown.empty());
    EXPECT_EQ(missing.requests(), std::vector<std::string> { "LockWorkStation" });
    EXPECT_EQ(missing.recorder.callsTo({ "FreeLibrary" }).size(), 1u);
}

TEST(LocalActions, QueriesMapTheSystemsFailureValues)
{
    Fixture f;
    EXPECT_EQ(f.actions.GetLocalComputerName(), "DESKTOP1");
    EXPECT_EQ(f.actions.GetBatteryPercent(), 80);
    f.recorder.script().batteryLifePercent = 255;
    EXPECT_EQ(f.actions.GetBatteryPercent(), -1);
    f.recorder.script().batteryLifePercent = 100;
    EXPECT_EQ(f.actions.GetBatteryPercent(), 100);
    f.recorder.script().batteryLifePercent = 101;
    EXPECT_EQ(f.actions.GetBatteryPercent(), -1);
    f.recorder.script().computerNameFails = true;
    EXPECT_EQ(f.actions.GetLocalComputerName(), "");
}

} // namespace
} // namespace vespern::test
