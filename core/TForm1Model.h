#pragma once

#include "Controls.h"
#include "LocalActions.h"
#include "TApplication.h"
#include "TForm2Model.h"
#include "TTrayIcon.h"
#include "platform/PowerPlatform.h"

#include <string>
#include <vector>

namespace vespern {

// The main window: the computer name, the tray icon with its menu, and the start-up and
// command-line behaviour.
class TForm1Model {
public:
    // arguments: the command-line arguments after the program name.
    TForm1Model(
        PowerPlatform& platform, TApplication& application, TForm2Model& options, std::vector<std::string> arguments);

    std::string Caption = "Vespern";
    bool Visible = false;

    TLabel Label3;
    TTrayIcon TrayIcon1;
    TMenuItem Forced1;

    void FormCreate();
    void FormShow();
    // Closing the main window ends the program.
    void Close();

    void Shutdown1Click() { actions_.Shutdown1Click(); }
    void Reboot1Click() { actions_.Reboot1Click(); }
    void LogOff1Click() { actions_.LogOff1Click(); }
    void StandBy1Click() { actions_.StandBy1Click(); }
    void Hibernate1Click() { actions_.Hibernate1Click(); }
    void LockSwitchUser1Click() { actions_.LockSwitchUser1Click(); }
    void HangUp1Click() { actions_.HangUp1Click(); }
    void urnMonitorOff1Click() { actions_.urnMonitorOff1Click(); }
    void ShowScreensaver1Click() { actions_.ShowScreensaver1Click(); }

    LocalActions& actions() { return actions_; }

private:
    PowerPlatform& platform_;
    TApplication& application_;
    TForm2Model& options_;
    std::vector<std::string> arguments_;
    LocalActions actions_;
};

} // namespace vespern
