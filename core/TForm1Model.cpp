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
    TrayIcon1.OnStartup = [this](bool& showMainForm) { TrayIcon1Startup(showMainForm); };
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
    GroupBox2.Caption = "Event";
    ComboBox2 = list("Select event menu", "Event Menu", eventItems);
    Panel4 = panel(217, 30);
    Timer = spin("Set timer", 1, 10000);
    Panel10 = panel(217, 30);
    DateTimePickerEx1.Hint = "Set timer";
    Panel11 = panel(217, 30);
    proccesscombo = list("Select process", "Select proccess", {});
    Panel12 = panel(217, 30);
    SpinEdit1 = spin("Set CPU usage", 1, 100);
    Edit2 = spin("Set Idle time", 1, 60);
    Panel13 = panel(217, 30);
    SpinEdit2 = spin("Set battery life", 1, 100);
    Panel21 = panel(217, 30);
    Label30 = label("Event Setings");
    GroupBox1.Caption = "Action";
    std::vector<std::string> actionItems;
    for (const auto& info : ActionTable)
        actionItems.emplace_back(info.listCaption);
    ComboBox1 = list("Select action menu", "Action Menu", actionItems);

    Panel5 = panel(259, 205, false);
    GroupBox6.Caption = "Client Computer(s) Name";
    Edit1.Hint = "Client Computer Name";
    BitBtn5 = button("Browse", "Browse for computer");
    GroupBox5.Caption = "Event";
    ComboBox4 = list("Select event menu", "Event Menu", eventItems);
    Pcountdwn = panel(217, 30);
    timerx = spin("Set timer", 1, 10000);
    Pontime = panel(217, 30);
    DateTimePickerEx2.Hint = "Set time";
    Pprocess = panel(217, 30);
    proccesscombox = list("Select process", "Select proccess", {});
    Pcpuusage = panel(217, 30);
    SpinEdit5 = spin("CPU Usage", 1, 100);
    SpinEdit6 = spin("Set Idle time", 1, 60);
    Pbattlow = panel(217, 30);
    SpinEdit4 = spin("Set battery life", 1, 100);
    Panel6 = panel(217, 30);
    Panel6.Caption = "Event Settings";
    GroupBox4.Caption = "Action";
    ComboBox3 = list("Select action menu", "Action Menu", { "Shutdown", "Reboot" });

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

    for (auto* progress : { &Panelproggressx, &Panelproggress })
        *progress = panel(259, 40, false);
    for (auto* display : { &Panelcountdwnx, &Panelontimex, &Panelprocessx, &Panelcpux, &Panelbattlifex, &Panelcountdwn,
             &Panelontime, &Panelprocess, &Panelcpu, &Panelbattlife })
        *display = panel(252, 32, false);
    for (auto* bar : { &Panel15, &Paneltimeleftx, &Panel16, &Paneltimeleft })
        *bar = panel(240, 7);
    timeleftx = timeleft = label("Label13");
    timelefthx = timelefth = label("timelefth");
    timelefthx.Visible = timelefth.Visible = false;
    timescedulex = timescedule = label("Label13");
    timescedulehx = timesceduleh = label("Label13");
    processnowx = processnow = label("Time (Now) : ");
    cpuusagex = cpuusage = label("0 %");
    cputimex = cputime = label("0");
    cpuusagedtx.Text = cpuusagedt.Text = "0";
    cpuusagedtx.Visible = cpuusagedt.Visible = false;
    battlifex = battlife = label("0 %");
    battlifehx = battlifeh = label("0 %");
    battlifehx.Visible = battlifeh.Visible = false;

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

void TForm1Model::TrayIcon1Startup(bool&) { }

void TForm1Model::PopupMenu1Popup() { }

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
