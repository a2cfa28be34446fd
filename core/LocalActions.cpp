#include "LocalActions.h"

#include "platform/Win32Constants.h"

#include <algorithm>
#include <array>

namespace vespern {

LocalActions::LocalActions(PowerPlatform& platform, Dialogs& dialogs, LocalActionInputs inputs)
    : platform_(platform)
    , dialogs_(dialogs)
    , inputs_(inputs)
{
}

void LocalActions::Shutdown1Click()
{
    RunPreActionSteps();
    RunSessionOp(SessionOpCode::Shutdown, inputs_.forced);
}

void LocalActions::Reboot1Click()
{
    RunPreActionSteps();
    RunSessionOp(SessionOpCode::Restart, inputs_.forced);
}

void LocalActions::LogOff1Click()
{
    RunPreActionSteps();
    RunSessionOp(SessionOpCode::LogOff, inputs_.forced);
}

// Sleep suspends (fSuspend TRUE); hibernation is the FALSE form.
void LocalActions::StandBy1Click()
{
    RunPreActionSteps();
    RunSessionOp(SessionOpCode::MonitorOff, true);
    platform_.SetSystemPowerState(true, true);
}

void LocalActions::Hibernate1Click()
{
    RunPreActionSteps();
    RunSessionOp(SessionOpCode::MonitorOff, true);
    platform_.SetSystemPowerState(false, true);
}

void LocalActions::LockSwitchUser1Click()
{
    RunPreActionSteps();
    platform_.LockWorkStation();
}

void LocalActions::HangUp1Click()
{
    RunPreActionSteps();
    std::uint32_t flags = 7;
    if (platform_.InternetGetConnectedState(flags, 0))
        platform_.InternetAutodialHangup(0);
}

void LocalActions::urnMonitorOff1Click()
{
    RunPreActionSteps();
    RunSessionOp(SessionOpCode::MonitorOff, true);
    sendMonitorPower(0);
}

void LocalActions::ShowScreensaver1Click()
{
    RunPreActionSteps();
    RunSessionOp(SessionOpCode::Screensaver, false);
}

void LocalActions::RunLocalAction(ActionKind kind)
{
    switch (kind) {
    case ActionKind::Shutdown:
        return Shutdown1Click();
    case ActionKind::Reboot:
        return Reboot1Click();
    case ActionKind::LogOff:
        return LogOff1Click();
    case ActionKind::StandBy:
        return StandBy1Click();
    case ActionKind::Hibernate:
        return Hibernate1Click();
    case ActionKind::LockSwitchUser:
        return LockSwitchUser1Click();
    case ActionKind::HangUp:
        return HangUp1Click();
    case ActionKind::TurnOffMonitor:
        return urnMonitorOff1Click();
    case ActionKind::ShowScreensaver:
        return ShowScreensaver1Click();
    }
}

void LocalActions::RunPreActionSteps()
{
    if (inputs_.runProgram) {
        // Neither the start nor its failure is examined: the wait gives the program time either way.
        platform_.ShellExecuteA(
            Window::Main, std::nullopt, inputs_.programPath, std::nullopt, std::nullopt, w32::SwShow);
        platform_.Sleep(10000);
    }
    if (inputs_.emptyRecycleBin)
        EmptyRecycleBin();
}

void LocalActions::EmptyRecycleBin()
{
    const ModuleHandle shell32 = platform_.LoadLibraryA("Shell32.dll");
    if (shell32 == 0) {
        dialogs_.MessageBox("Error", "Failed to load Shell32.dll.", MessageIcon::Error);
        return;
    }
    if (platform_.GetProcAddress(shell32, "SHEmptyRecycleBinA") != 0)
        platform_.SHEmptyRecycleBinA(
            Window::Application, std::nullopt, w32::SherbNoConfirmation | w32::SherbNoProgressUi | w32::SherbNoSound);
    platform_.FreeLibrary(shell32);
}

bool LocalActions::isNtFamily()
{
    OsVersionInfo version;
    platform_.GetVersionExA(version);
    return version.dwPlatformId == w32::VerPlatformWin32Nt;
}

void LocalActions::enableShutdownPrivilege()
{
    Handle token = 0;
    platform_.OpenProcessToken(w32::TokenAdjustPrivileges | w32::TokenQuery, token);
    Luid luid;
    platform_.LookupPrivilegeValueA(std::nullopt, "SeShutdownPrivilege", luid);
    const TokenPrivileges privileges { 1, luid, w32::SePrivilegeEnabled };
    std::uint32_t returnLength = 0;
    platform_.AdjustTokenPrivileges(token, false, privileges, 0, returnLength);
    platform_.CloseHandle(token);
}

void LocalActions::sendMonitorPower(std::intptr_t state)
{
    platform_.SendMessageA(Window::Application, w32::WmSysCommand, w32::ScMonitorPower, state);
}

void LocalActions::RunSessionOp(SessionOpCode code, bool forced)
{
    if (!isNtFamily())
        return;
    enableShutdownPrivilege();
    const std::uint32_t force = forced ? w32::EwxForce : 0;
    switch (code) {
    case SessionOpCode::Shutdown:
        platform_.ExitWindowsEx(w32::EwxShutdown | force, 0);
        return;
    case SessionOpCode::Restart:
        platform_.ExitWindowsEx(w32::EwxReboot | force, 0);
        return;
    case SessionOpCode::LogOff:
        platform_.ExitWindowsEx(w32::EwxLogoff | force, 0);
        return;
    case SessionOpCode::MonitorOff:
        if (forced)
            sendMonitorPower(w32::MonitorPowerOff);
        return;
    case SessionOpCode::Screensaver:
        platform_.DefWindowProcA(Window::Main, w32::WmSysCommand, w32::ScScreenSave, 0);
        return;
    }
}

std::string LocalActions::GetLocalComputerName()
{
    std::array<char, 256> buffer {};
    auto size = static_cast<std::uint32_t>(buffer.size());
    if (!platform_.GetComputerNameA(buffer, size))
        return {};
    auto* const end = std::find(buffer.begin(), buffer.end(), '\0');
    return std::string(buffer.begin(), end);
}

int LocalActions::GetBatteryPercent()
{
    SystemPowerStatus status;
    platform_.GetSystemPowerStatus(status);
    return status.BatteryLifePercent <= 100 ? status.BatteryLifePercent : -1;
}

} // namespace vespern
