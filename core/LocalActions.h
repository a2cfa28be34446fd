#pragma once

#include "ActionKind.h"
#include "Dialogs.h"
#include "platform/PowerPlatform.h"

#include <string>

namespace vespern {

// What a local action reads at the moment it runs: the tray menu's force item and the options
// dialog's live option controls.
struct LocalActionInputs {
    const bool& forced; // Forced1.Checked
    const bool& runProgram; // CheckBox3.Checked
    const std::string& programPath; // Edit1.Text
    const bool& emptyRecycleBin; // empty.Checked
};

enum class SessionOpCode { Shutdown = 1, Restart = 2, LogOff = 3, MonitorOff = 4, Screensaver = 5 };

// The nine local actions and the steps they share.
class LocalActions {
public:
    LocalActions(PowerPlatform& platform, Dialogs& dialogs, LocalActionInputs inputs);

    void Shutdown1Click();
    void Reboot1Click();
    void LogOff1Click();
    void StandBy1Click();
    void Hibernate1Click();
    void LockSwitchUser1Click();
    void HangUp1Click();
    void urnMonitorOff1Click();
    void ShowScreensaver1Click();

    void RunLocalAction(ActionKind kind);
    void RunPreActionSteps();
    void EmptyRecycleBin();
    void RunSessionOp(SessionOpCode code, bool forced);

    std::string GetLocalComputerName();
    int GetBatteryPercent();

private:
    bool isNtFamily();
    void enableShutdownPrivilege();
    void sendMonitorPower(std::intptr_t state);

    PowerPlatform& platform_;
    Dialogs& dialogs_;
    LocalActionInputs inputs_;
};

} // namespace vespern
