#include "TForm1Model.h"

#include "ActionFiles.h"

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
    Label3.Caption = "Name";
    Label3.Hint = "Computer name";
    Forced1.Caption = "Forced Action";
    Forced1.AutoCheck = true;
    TrayIcon1.SetHint("Vespern");
    TrayIcon1.MinimizeToTray = true;
    TrayIcon1.SetIconVisible(true);
}

void TForm1Model::FormCreate()
{
    Label3.Caption = actions_.GetLocalComputerName();
    if (arguments_.empty()) {
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

} // namespace vespern
