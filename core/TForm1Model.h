#pragma once

#include "ComputerBrowser.h"
#include "Controls.h"
#include "EventMonitor.h"
#include "LocalActions.h"
#include "TApplication.h"
#include "TForm1ModeControls.h"
#include "TForm2Model.h"
#include "TForm5Model.h"
#include "TTrayIcon.h"
#include "TimeText.h"
#include "platform/PowerPlatform.h"

#include <string>
#include <vector>

namespace vespern {

// The main window: every band, group and control by its name, the tray icon with its menu,
// and the start-up and command-line behaviour.
class TForm1Model {
public:
    // arguments: the command-line arguments after the program name.
    TForm1Model(
        PowerPlatform& platform, TApplication& application, TForm2Model& options, std::vector<std::string> arguments);
    ~TForm1Model();
    TForm1Model(const TForm1Model&) = delete;
    TForm1Model& operator=(const TForm1Model&) = delete;

    std::string Caption = "Vespern";
    bool Visible = false;

    // Band 1: banner and links
    TPanel Panel22;
    TImage Image1;
    TLabel Label39;
    TLabel Label40;

    // Band 2: target selector
    TPanel Panel3;
    TRadioGroup RadioGroup1;

    // Band 3: the panel set of the target mode
    TPanel Panel9;
    TPanel Panel1; // local set
    TGroupBox GroupBox7;
    TLabel Label3;
    TGroupBox GroupBox2;
    TComboBox ComboBox2;
    TPanel Panel4;
    TSpinEdit Timer;
    TPanel Panel10;
    TDateTimePickerEx DateTimePickerEx1;
    TPanel Panel11;
    TComboBox proccesscombo;
    TPanel Panel12;
    TSpinEdit SpinEdit1;
    TSpinEdit Edit2;
    TPanel Panel13;
    TSpinEdit SpinEdit2;
    TPanel Panel21;
    TLabel Label30;
    TGroupBox GroupBox1;
    TComboBox ComboBox1;

    TPanel Panel5; // network set
    TGroupBox GroupBox6;
    TEdit Edit1;
    TButton BitBtn5;
    TGroupBox GroupBox5;
    TComboBox ComboBox4;
    TPanel Pcountdwn;
    TSpinEdit timerx;
    TPanel Pontime;
    TDateTimePickerEx DateTimePickerEx2;
    TPanel Pprocess;
    TComboBox proccesscombox;
    TPanel Pcpuusage;
    TSpinEdit SpinEdit5;
    TSpinEdit SpinEdit6;
    TPanel Pbattlow;
    TSpinEdit SpinEdit4;
    TPanel Panel6;
    TGroupBox GroupBox4;
    TComboBox ComboBox3;

    // Band 4: action options
    TPanel Panel7;
    TGroupBox GroupBox3;
    TCheckBox CheckBox1;
    TCheckBox CheckBox2;

    // Band 5: buttons
    TPanel Panel2;
    TButton BitBtn2;
    TButton BitBtn4;
    TButton BitBtn1;
    TButton BitBtn3;

    // Band 6: network progress
    TPanel Panelproggressx;
    TPanel Panelcountdwnx;
    TLabel timeleftx;
    TLabel timelefthx;
    TPanel Panel15;
    TPanel Paneltimeleftx;
    TPanel Panelontimex;
    TLabel timescedulex;
    TLabel timescedulehx;
    TPanel Panelprocessx;
    TLabel processnowx;
    TPanel Panelcpux;
    TLabel cpuusagex;
    TLabel cputimex;
    TEdit cpuusagedtx;
    TPanel Panelbattlifex;
    TLabel battlifex;
    TLabel battlifehx;

    // Band 7: local progress
    TPanel Panelproggress;
    TPanel Panelcountdwn;
    TLabel timeleft;
    TLabel timelefth;
    TPanel Panel16;
    TPanel Paneltimeleft;
    TPanel Panelontime;
    TLabel timescedule;
    TLabel timesceduleh;
    TPanel Panelprocess;
    TLabel processnow;
    TPanel Panelcpu;
    TLabel cpuusage;
    TLabel cputime;
    TEdit cpuusagedt;
    TPanel Panelbattlife;
    TLabel battlife;
    TLabel battlifeh;

    TTimer Timer1;
    TTimer Timer2;

    // The tray icon and its menu PopupMenu1, top to bottom.
    TTrayIcon TrayIcon1;
    TMenuItem ExitVespern1;
    TMenuItem Help1;
    TMenuItem N2;
    TMenuItem ShowWindows1;
    TMenuItem N1;
    TMenuItem Forced1;
    TMenuItem ShowMessage1;
    TMenuItem N3;
    TMenuItem Shutdown1;
    TMenuItem Reboot1;
    TMenuItem LogOff1;
    TMenuItem StandBy1;
    TMenuItem Hibernate1;
    TMenuItem HangUp1;
    TMenuItem LockSwitchUser1;
    TMenuItem urnMonitorOff1;
    TMenuItem ShowScreensaver1;

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

    // Window handlers
    // A request to a view to show its window without modality and bring it to the front; the
    // view applies each new count once, so a second request raises a window already showing.
    struct TShowRequest {
        unsigned Count = 0;
    };
    TShowRequest MainWindowShow; // also restores the window when it is minimised
    TShowRequest Form2Show;

    void RadioGroup1Click();
    // The user selected an item of RadioGroup1: only a changed selection runs its click handler.
    void SelectRadioGroup1Item(int index);
    // The controls the mode uses.
    TForm1ModeControls ModeControls(TargetMode mode);
    // The change handler of the mode's event list (ComboBox2Change or ComboBox4Change).
    void EventListChange(TargetMode mode) { monitor_.EventListChange(mode); }
    void Forced1Click();
    void CheckBox1Click();
    void ShowMessage1Click();
    void CheckBox2Click();
    // Setting a check box from code raises its click handler when, and only when, it changes.
    void SetCheckBox1Checked(bool checked);
    void SetCheckBox2Checked(bool checked);
    void ShowWindows1Click();
    void TrayIcon1DblClick();
    void ExitVespern1Click();
    void Label39Click();
    void Help1Click();
    void Label39MouseMove();
    void Label39MouseLeave();
    void Label40MouseMove();
    void Label40MouseLeave();
    void BitBtn3Click();
    void Label40Click();
    // The window was minimised: it hides to the tray when there is a notification area to hide in.
    void FormMinimized();
    // Tells the application's pending notices: a balloon of the tray icon, titled with the
    // application title, or the message box when there is no notification area to show it.
    void TellNotices();
    // Times of day in the user's long time format, as the time pickers show and read them.
    TimeText& Times() { return times_; }

private:
    void initialiseControls();

    PowerPlatform& platform_;
    TApplication& application_;
    TForm2Model& options_;
    std::vector<std::string> arguments_;
    LocalActions actions_;
    TimeText times_ { platform_ };
    ComputerBrowser browser_ { platform_, Edit1.Text };
    TForm5Model* aboutBox_ = nullptr;

    // Event handlers
public:
    void ComboBox2Change() { EventListChange(TargetMode::LocalComputer); }
    void ComboBox4Change() { EventListChange(TargetMode::NetworkComputer); }
    void BitBtn2Click() { monitor_.Start(); }
    void BitBtn4Click() { monitor_.Stop(); }
    void BitBtn5Click() { browser_.BitBtn5Click(); }
    // Now. A failed remote action is shown in the error box; returns whether Now ran to its end.
    bool BitBtn1Click() { return monitor_.NowShowingErrors(); }
    void Timer1Timer() { monitor_.Tick(TargetMode::LocalComputer); }
    void Timer2Timer() { monitor_.Tick(TargetMode::NetworkComputer); }
    // A firing is being handled; ticks that arrive meanwhile do nothing.
    bool EventsBusy() const { return monitor_.Busy(); }
    void SetConfirmationDialog(TForm4Model& dialog) { monitor_.SetConfirmationDialog(dialog); }
    // The About box, which Label40Click shows.
    void SetAboutBox(TForm5Model& aboutBox) { aboutBox_ = &aboutBox; }
    EventMonitor& monitor() { return monitor_; }

private:
    EventMonitor monitor_ { *this, platform_, application_, actions_, options_.empty.Checked };
};

} // namespace vespern
