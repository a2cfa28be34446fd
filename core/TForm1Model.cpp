#include "TForm1Model.h"

#include "ActionFiles.h"
#include "HelpFile.h"

#include <optional>

namespace vespern {

TForm1Model::TForm1Model(
    PowerPlatform& platform, TApplication& application, TForm2Model& options, std::vector<std::string> arguments)
    : platform_(platform)
    , application_(application)
    , options_(options)
    , arguments_(std::move(arguments))
    , actions_(platform, application.dialogs(),
          LocalActionInputs { Forced1.Checked, options.CheckBox3.Checked, options.Edit1.Text, options.empty.Checked })
{
    initialiseControls();
    TrayIcon1.OnDblClick = [this] { TrayIcon1DblClick(); };
    application_.NoticeTeller = [this] { TellNotices(); };
}

TForm1Model::~TForm1Model()
{
    application_.NoticeTeller = nullptr;
}

namespace {

TLabel label(const std::string& caption, const std::string& hint = {})
{
    TLabel control;
    control.Caption = caption;
    control.Hint = hint;
    return control;
}

TPanel panel(int width, int height, bool visible = true)
{
    TPanel control;
    control.Width = width;
    control.Height = height;
    control.Visible = visible;
    return control;
}

TSpinEdit spin(const std::string& hint, int minValue, int maxValue)
{
    TSpinEdit control;
    control.Hint = hint;
    control.MinValue = minValue;
    control.MaxValue = maxValue;
    control.Text = std::to_string(minValue);
    return control;
}

TComboBox list(const std::string& hint, const std::string& text, std::vector<std::string> items)
{
    TComboBox control;
    control.Hint = hint;
    control.Text = text;
    control.Items = std::move(items);
    return control;
}

TButton button(const std::string& caption, const std::string& hint, bool visible = true)
{
    TButton control;
    control.Caption = caption;
    control.Hint = hint;
    control.Visible = visible;
    return control;
}

TMenuItem item(const std::string& caption, bool autoCheck = false)
{
    TMenuItem control;
    control.Caption = caption;
    control.AutoCheck = autoCheck;
    return control;
}

TMenuItem separator()
{
    TMenuItem control;
    control.Caption = "-";
    control.IsSeparator = true;
    return control;
}

const std::vector<std::string> eventItems
    = { "Countdown", "On Time", "On Process Stops", "Low CPU Usage", "Battery Low" };

} // namespace

void TForm1Model::initialiseControls()
{
    Panel22 = panel(259, 26);
    Image1.Width = 260;
    Image1.Height = 26;
    Image1.Stretch = true;
    Image1.Transparent = true;
    Label39 = label("Help", "Click to show help content");
    Label40 = label("About", "About Vespern");

    Panel3 = panel(259, 52);
    RadioGroup1.Caption = "Select Computer";
    RadioGroup1.Hint = "Select computer";
    RadioGroup1.Items = { "Local Computer", "Network Computer" };
    RadioGroup1.ItemIndex = 0;

    Panel9 = panel(259, 205);
    Panel1 = panel(259, 205);
    GroupBox7.Caption = "Computer Name";
    Label3 = label("Name", "Computer name");
    Panel5 = panel(259, 205, false);
    GroupBox6.Caption = "Client Computer(s) Name";
    Edit1.Hint = "Client Computer Name";
    BitBtn5 = button("Browse", "Browse for computer");
    std::vector<std::string> actionItems;
    for (const auto& info : ActionTable)
        actionItems.emplace_back(info.listCaption);
    // The hints and actions that differ between the two sets.
    struct ModeTexts {
        const char* timeHint;
        const char* cpuHint;
        std::vector<std::string> actions;
    };
    const ModeTexts local { "Set timer", "Set CPU usage", actionItems };
    const ModeTexts network { "Set time", "CPU Usage", { "Shutdown", "Reboot" } };
    for (const auto mode : { TargetMode::LocalComputer, TargetMode::NetworkComputer }) {
        const auto c = ModeControls(mode);
        const ModeTexts& texts = mode == TargetMode::LocalComputer ? local : network;
        c.EventGroup.Model.Caption = "Event";
        c.EventList.Model = list("Select event menu", "Event Menu", eventItems);
        for (const auto& settings : c.Settings)
            settings.Model = panel(217, 30);
        c.Placeholder.Model = panel(217, 30);
        c.Minutes.Model = spin("Set timer", 1, 10000);
        c.Time.Model.Hint = texts.timeHint;
        c.ProcessList.Model = list("Select process", "Select proccess", {});
        c.CpuPercent.Model = spin(texts.cpuHint, 1, 100);
        c.CpuSeconds.Model = spin("Set Idle time", 1, 60);
        c.BatteryPercent.Model = spin("Set battery life", 1, 100);
        c.ActionGroup.Model.Caption = "Action";
        c.ActionList.Model = list("Select action menu", "Action Menu", texts.actions);

        c.Progress.Model = panel(259, 40, false);
        for (const auto& display : c.Displays)
            display.Model = panel(252, 32, false);
        c.Track.Model = c.Bar.Model = panel(240, 7);
        c.TimeLeft.Model = label("Label13");
        c.MinutesLeft.Model = label("timelefth");
        c.MinutesLeft.Model.Visible = false;
        c.Scheduled.Model = c.NowText.Model = label("Label13");
        c.ProcessName.Model = label("Time (Now) : ");
        c.CpuUsage.Model = label("0 %");
        c.CpuTime.Model = label("0");
        c.CpuSample.Model.Text = "0";
        c.CpuSample.Model.Visible = false;
        c.BatteryLife.Model = c.BatteryPercentLeft.Model = label("0 %");
        c.BatteryPercentLeft.Model.Visible = false;
    }
    // The local placeholder says it with a label, the network one with its caption.
    Label30 = label("Event Setings");
    Panel6.Caption = "Event Settings";

    Panel7 = panel(259, 73);
    GroupBox3.Caption = "Action Option";
    CheckBox1.Caption = "Force Action";
    CheckBox1.Hint = "Force action for quick action";
    CheckBox2.Caption = "Show Confirm Before Execute Action";
    CheckBox2.Hint = "Show confirm";

    Panel2 = panel(259, 39);
    BitBtn2 = button("Start", "Start action event");
    BitBtn4 = button("Stop", "Stop activated action", false);
    BitBtn1 = button("Now", "Execute action now");
    BitBtn3 = button("Option", "Vespern option");

    ExitVespern1 = item("Exit Vespern");
    Help1 = item("Help");
    N2 = separator();
    ShowWindows1 = item("Show Windows");
    ShowWindows1.RadioItem = true;
    N1 = separator();
    Forced1 = item("Forced Action", true);
    ShowMessage1 = item("Show Confirm before action", true);
    N3 = separator();
    for (auto [menuItem, kind] : { std::pair { &Shutdown1, ActionKind::Shutdown }, { &Reboot1, ActionKind::Reboot },
             { &LogOff1, ActionKind::LogOff }, { &StandBy1, ActionKind::StandBy },
             { &Hibernate1, ActionKind::Hibernate }, { &HangUp1, ActionKind::HangUp },
             { &LockSwitchUser1, ActionKind::LockSwitchUser }, { &urnMonitorOff1, ActionKind::TurnOffMonitor },
             { &ShowScreensaver1, ActionKind::ShowScreensaver } })
        *menuItem = item(std::string(Info(kind).menuCaption));

    TrayIcon1.SetHint("Vespern");
    TrayIcon1.MinimizeToTray = true;
    TrayIcon1.SetIconVisible(true);
}

void TForm1Model::FormCreate()
{
    Label3.Caption = actions_.GetLocalComputerName();
    if (!TrayIcon1.Loaded()) {
        application_.ShowMainForm = false;
        Visible = false;
    }
    // Without a notification area a hidden start would leave nothing to bring the window back.
    if (arguments_.empty() && TrayIcon1.NotificationAreaAvailable()) {
        application_.ShowMainForm = false;
        TrayIcon1.ShowBalloon("Vespern Information",
            "Double click icon to show windows and Right click to view popup menu", BalloonIconKind::Info, 10);
    }
    // Before anything can run an action (tray menu, events, the command line), so that the
    // saved pre-action options apply from the start and not only after the first show.
    options_.LoadSettings();
}

void TForm1Model::FormShow()
{
    if (!arguments_.empty()) {
        if (const auto kind = ActionForArgument(arguments_.front()))
            actions_.RunLocalAction(*kind);
        Close();
    }
    options_.LoadSettings();
}

void TForm1Model::Close()
{
    Visible = false;
    application_.Terminate();
}

namespace {

const char* const ForceWarningTitle = "Warning";
const char* const ForceWarningText
    = "Using this option force Vespern to shutdown windows without promting to save unsaved data."
      "\r"
      "You will lose any unsaved data in any application that is running.";

} // namespace

void TForm1Model::RadioGroup1Click()
{
    const bool network = TargetModeFromIndex(RadioGroup1.ItemIndex) == TargetMode::NetworkComputer;
    Panel5.Visible = network;
    Panel1.Visible = !network;
}

void TForm1Model::SelectRadioGroup1Item(int index)
{
    if (RadioGroup1.ItemIndex == index)
        return;
    RadioGroup1.ItemIndex = index;
    RadioGroup1Click();
}

TForm1ModeControls TForm1Model::ModeControls(TargetMode mode)
{
    if (mode == TargetMode::NetworkComputer)
        return {
            mode,
            { "Panel5", Panel5, IdPanel5 },
            { "GroupBox6", GroupBox6, IdGroupBox6 },
            { "GroupBox5", GroupBox5, IdGroupBox5 },
            { "ComboBox4", ComboBox4, IdComboBox4 },
            { { { "Pcountdwn", Pcountdwn, IdPcountdwn }, { "Pontime", Pontime, IdPontime },
                { "Pprocess", Pprocess, IdPprocess }, { "Pcpuusage", Pcpuusage, IdPcpuusage },
                { "Pbattlow", Pbattlow, IdPbattlow } } },
            { "Panel6", Panel6, IdPanel6 },
            { "timerx", timerx, Idtimerx },
            { "DateTimePickerEx2", DateTimePickerEx2, IdDateTimePickerEx2 },
            { "proccesscombox", proccesscombox, Idproccesscombox },
            { "SpinEdit5", SpinEdit5, IdSpinEdit5 },
            { "SpinEdit6", SpinEdit6, IdSpinEdit6 },
            { "SpinEdit4", SpinEdit4, IdSpinEdit4 },
            { "GroupBox4", GroupBox4, IdGroupBox4 },
            { "ComboBox3", ComboBox3, IdComboBox3 },
            { "Panelproggressx", Panelproggressx, IdPanelproggressx },
            { { { "Panelcountdwnx", Panelcountdwnx, IdPanelcountdwnx },
                { "Panelontimex", Panelontimex, IdPanelontimex }, { "Panelprocessx", Panelprocessx, IdPanelprocessx },
                { "Panelcpux", Panelcpux, IdPanelcpux }, { "Panelbattlifex", Panelbattlifex, IdPanelbattlifex } } },
            { "timeleftx", timeleftx, Idtimeleftx },
            { "timelefthx", timelefthx, Idtimelefthx },
            { "Panel15", Panel15, IdPanel15 },
            { "Paneltimeleftx", Paneltimeleftx, IdPaneltimeleftx },
            { "timescedulex", timescedulex, Idtimescedulex },
            { "timescedulehx", timescedulehx, Idtimescedulehx },
            { "processnowx", processnowx, Idprocessnowx },
            { "cpuusagex", cpuusagex, Idcpuusagex },
            { "cputimex", cputimex, Idcputimex },
            { "cpuusagedtx", cpuusagedtx, Idcpuusagedtx },
            { "battlifex", battlifex, Idbattlifex },
            { "battlifehx", battlifehx, Idbattlifehx },
            Timer2,
            { &GroupBox3, &GroupBox4, &GroupBox5, &GroupBox6, &RadioGroup1 },
        };
    return {
        mode,
        { "Panel1", Panel1, IdPanel1 },
        { "GroupBox7", GroupBox7, IdGroupBox7 },
        { "GroupBox2", GroupBox2, IdGroupBox2 },
        { "ComboBox2", ComboBox2, IdComboBox2 },
        { { { "Panel4", Panel4, IdPanel4 }, { "Panel10", Panel10, IdPanel10 }, { "Panel11", Panel11, IdPanel11 },
            { "Panel12", Panel12, IdPanel12 }, { "Panel13", Panel13, IdPanel13 } } },
        { "Panel21", Panel21, IdPanel21 },
        { "Timer", Timer, IdTimer },
        { "DateTimePickerEx1", DateTimePickerEx1, IdDateTimePickerEx1 },
        { "proccesscombo", proccesscombo, Idproccesscombo },
        { "SpinEdit1", SpinEdit1, IdSpinEdit1 },
        { "Edit2", Edit2, IdEdit2 },
        { "SpinEdit2", SpinEdit2, IdSpinEdit2 },
        { "GroupBox1", GroupBox1, IdGroupBox1 },
        { "ComboBox1", ComboBox1, IdComboBox1 },
        { "Panelproggress", Panelproggress, IdPanelproggress },
        { { { "Panelcountdwn", Panelcountdwn, IdPanelcountdwn }, { "Panelontime", Panelontime, IdPanelontime },
            { "Panelprocess", Panelprocess, IdPanelprocess }, { "Panelcpu", Panelcpu, IdPanelcpu },
            { "Panelbattlife", Panelbattlife, IdPanelbattlife } } },
        { "timeleft", timeleft, Idtimeleft },
        { "timelefth", timelefth, Idtimelefth },
        { "Panel16", Panel16, IdPanel16 },
        { "Paneltimeleft", Paneltimeleft, IdPaneltimeleft },
        { "timescedule", timescedule, Idtimescedule },
        { "timesceduleh", timesceduleh, Idtimesceduleh },
        { "processnow", processnow, Idprocessnow },
        { "cpuusage", cpuusage, Idcpuusage },
        { "cputime", cputime, Idcputime },
        { "cpuusagedt", cpuusagedt, Idcpuusagedt },
        { "battlife", battlife, Idbattlife },
        { "battlifeh", battlifeh, Idbattlifeh },
        Timer1,
        { &GroupBox1, &GroupBox2, &GroupBox3, &RadioGroup1 },
    };
}

void TForm1Model::Forced1Click()
{
    if (Forced1.Checked) {
        SetCheckBox1Checked(true);
        TrayIcon1.ShowBalloon(ForceWarningTitle, ForceWarningText, BalloonIconKind::Warning, 10);
    } else {
        SetCheckBox1Checked(false);
    }
}

void TForm1Model::CheckBox1Click()
{
    Forced1.Checked = CheckBox1.Checked;
    if (CheckBox1.Checked)
        TrayIcon1.ShowBalloon(ForceWarningTitle, ForceWarningText, BalloonIconKind::Warning, 10);
}

void TForm1Model::ShowMessage1Click()
{
    SetCheckBox2Checked(ShowMessage1.Checked);
}

void TForm1Model::CheckBox2Click()
{
    ShowMessage1.Checked = CheckBox2.Checked;
}

void TForm1Model::SetCheckBox1Checked(bool checked)
{
    if (CheckBox1.Checked == checked)
        return;
    CheckBox1.Checked = checked;
    CheckBox1Click();
}

void TForm1Model::SetCheckBox2Checked(bool checked)
{
    if (CheckBox2.Checked == checked)
        return;
    CheckBox2.Checked = checked;
    CheckBox2Click();
}

void TForm1Model::ShowWindows1Click()
{
    application_.ShowMainForm = true;
    ++MainWindowShow.Count;
}

void TForm1Model::TrayIcon1DblClick()
{
    ShowWindows1Click();
}

void TForm1Model::ExitVespern1Click()
{
    application_.Terminate();
}

void TForm1Model::Label39Click()
{
    OpenHelp(platform_);
}

void TForm1Model::Help1Click()
{
    Label39Click();
}

void TForm1Model::Label39MouseMove()
{
    Label39.FontSize = 9;
}

void TForm1Model::Label39MouseLeave()
{
    Label39.FontSize = 8;
}

void TForm1Model::Label40MouseMove()
{
    Label40.FontSize = 9;
}

void TForm1Model::Label40MouseLeave()
{
    Label40.FontSize = 8;
}

void TForm1Model::BitBtn3Click()
{
    options_.Visible = true;
    ++Form2Show.Count;
}

void TForm1Model::Label40Click()
{
    if (aboutBox_ != nullptr)
        aboutBox_->Show();
}

void TForm1Model::FormMinimized()
{
    if (!TrayIcon1.MinimizeToTray || !TrayIcon1.NotificationAreaAvailable())
        return;
    Visible = false;
    TrayIcon1.AddTrayIcon();
}

namespace {

BalloonIconKind balloonKind(NoticeKind kind)
{
    switch (kind) {
    case NoticeKind::Information:
        return BalloonIconKind::Info;
    case NoticeKind::Warning:
        return BalloonIconKind::Warning;
    case NoticeKind::Error:
        break;
    }
    return BalloonIconKind::Error;
}

MessageIcon messageIcon(NoticeKind kind)
{
    switch (kind) {
    case NoticeKind::Information:
        return MessageIcon::Information;
    case NoticeKind::Warning:
        return MessageIcon::Warning;
    case NoticeKind::Error:
        break;
    }
    return MessageIcon::Error;
}

} // namespace

void TForm1Model::TellNotices()
{
    const auto notice = application_.Notices().TakeCombined();
    if (notice.text.empty())
        return;
    // A balloon would go with the icon of a program that is ending; a box keeps it until read.
    if (!application_.Terminated() && TrayIcon1.IconVisible() && TrayIcon1.NotificationAreaAvailable()) {
        TrayIcon1.ShowBalloon(application_.Title, notice.text, balloonKind(notice.kind), 10);
        return;
    }
    application_.dialogs().MessageBox(application_.Title, notice.text, messageIcon(notice.kind));
}

} // namespace vespern
