#pragma once

#include "Controls.h"
#include "DesktopActionFiles.h"
#include "TApplication.h"
#include "platform/PowerPlatform.h"

#include <optional>
#include <string>
#include <vector>

namespace vespern {

struct TTabControl : TControl {
    std::vector<std::string> Tabs;
    int TabIndex = 0;
};

// The open-file dialog's settings; filter entries as "description|pattern" pairs.
struct TOpenDialog {
    std::string Filter;
    std::string InitialDir;
};

// Runs an open-file dialog modally: the chosen file's full path, nothing when cancelled.
class FileOpenDialog {
public:
    virtual ~FileOpenDialog() = default;
    virtual std::optional<std::string> Execute(const TOpenDialog& dialog) = 0;
};

// The options dialog. Its controls are the live option values: the local actions read
// "Run program before execute", the program path and "Empty Recycle bin on action" from here.
class TForm2Model {
public:
    TForm2Model(PowerPlatform& platform, TApplication& application);

    std::string Caption = "Vespern Option";
    bool Visible = false;
    // The window style the last save gave the main window; the main window's view applies it.
    bool MainFormStayOnTop = false;

    TTabControl TabControl1;
    TPanel Panel1;
    TButton BitBtn1; // "Save Setting"
    TButton BitBtn2; // "Close"
    TPanel Panel2; // tab "General"
    TPanel Panel3; // tab "On Action"
    TPanel Panel4; // tab "Shortcut"

    // Tab "General"
    TCheckBox ontop;
    TCheckBox startup;
    TCheckBox empty;
    TCheckBox CheckBox1;
    TCheckBox Hideshutdwnbtn;
    TCheckBox CheckBox4;

    // Tab "On Action"
    TCheckBox CheckBox3;
    TGroupBox GroupBox1;
    TLabel Label1;
    TEdit Edit1;
    TButton BitBtn3;
    TOpenDialog OpenDialog1;

    // Tab "Shortcut", in the order of the desktop action file table
    TGroupBox GroupBox2;
    TCheckBox shutdown_scut;
    TCheckBox reboot_scut;
    TCheckBox logoff_scut;
    TCheckBox standby_scut;
    TCheckBox Hibernate_scut;
    TCheckBox hangup_scut;
    TCheckBox turnoffmon_csut;
    TCheckBox screensaver_scut;
    TCheckBox lock_scut;

    // The check box of each row of DesktopActionFileTable.
    TCheckBox& ShortcutBox(std::size_t row);

    // A check box changing state, by the user or from code, runs its click handler.
    void SetChecked(TCheckBox& box, bool checked);

    void TabControl1Change();
    void CheckBox3Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click(FileOpenDialog& dialog);

    // Shown non-modally, brought to the front when already open.
    void Show() { Visible = true; }

    // Reads the persisted options into the controls (the settings store's load).
    void LoadSettings();

private:
    void shortcutClick(std::size_t row);

    PowerPlatform& platform_;
    TApplication& application_;
};

} // namespace vespern
