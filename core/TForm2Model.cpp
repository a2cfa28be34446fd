#include "TForm2Model.h"

#include "SettingsStore.h"
#include "TRegistry.h"
#include "platform/Win32Constants.h"

namespace vespern {

namespace {

constexpr char runKey[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char systemPolicies[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\system";
constexpr char explorerPolicies[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

// A policy value, first for the user, then for the whole machine.
void writePolicy(PowerPlatform& platform, const char* path, const std::vector<const char*>& names, bool on)
{
    TRegistry registry(platform);
    for (const HKey root : { w32::HkeyCurrentUser, w32::HkeyLocalMachine }) {
        registry.SetRootKey(root);
        registry.OpenKey(path, true);
        for (const char* name : names)
            registry.WriteInteger(name, on ? 1 : 0);
    }
    registry.CloseKey();
}

} // namespace

TForm2Model::TForm2Model(PowerPlatform& platform, TApplication& application)
    : platform_(platform)
    , application_(application)
{
    TabControl1.Tabs = { "General", "On Action", "Shortcut" };
    Panel3.Visible = false;
    Panel4.Visible = false;
    BitBtn1.Caption = "Save Setting";
    BitBtn2.Caption = "Close";
    ontop.Caption = "Always on top";
    startup.Caption = "Run minimized in Start Up";
    empty.Caption = "Empty Recycle bin on action";
    CheckBox1.Caption = "Disable Ctrl+Alt+Del for display task manager";
    Hideshutdwnbtn.Caption = "Hide shutdown button on start menu";
    CheckBox4.Caption = "Hide log off button on start menu";
    CheckBox3.Caption = "Run program before execute";
    GroupBox1.Caption = "Select program";
    GroupBox1.Enabled = false;
    Label1.Caption = "Program to execute : ";
    Edit1.ReadOnly = true;
    BitBtn3.Caption = "Browse";
    OpenDialog1.Filter = "executable file (*.exe)|*.exe";
    GroupBox2.Caption = "Create desktop shortcut :";
    for (std::size_t row = 0; row < DesktopActionFileTable.size(); ++row)
        ShortcutBox(row).Caption = std::string(DesktopActionFileTable[row].caption);
}

TCheckBox& TForm2Model::ShortcutBox(std::size_t row)
{
    TCheckBox* boxes[] = { &shutdown_scut, &reboot_scut, &logoff_scut, &standby_scut, &Hibernate_scut, &hangup_scut,
        &turnoffmon_csut, &screensaver_scut, &lock_scut };
    return *boxes[row];
}

void TForm2Model::SetChecked(TCheckBox& box, bool checked)
{
    if (box.Checked == checked)
        return;
    box.Checked = checked;
    if (&box == &CheckBox3) {
        CheckBox3Click();
        return;
    }
    for (std::size_t row = 0; row < DesktopActionFileTable.size(); ++row)
        if (&box == &ShortcutBox(row))
            shortcutClick(row);
}

void TForm2Model::TabControl1Change()
{
    Panel2.Visible = TabControl1.TabIndex == 0;
    Panel3.Visible = TabControl1.TabIndex == 1;
    Panel4.Visible = TabControl1.TabIndex == 2;
}

void TForm2Model::CheckBox3Click()
{
    GroupBox1.Enabled = CheckBox3.Checked;
}

void TForm2Model::BitBtn1Click()
{
    {
        TRegistry registry(platform_);
        registry.OpenKey(runKey, true);
        if (startup.Checked)
            registry.WriteString("Vespern", platform_.GetModuleFileNameA(0));
        else
            registry.DeleteValue("Vespern");
        registry.CloseKey();
    }
    MainFormStayOnTop = ontop.Checked;
    writePolicy(platform_, systemPolicies, { "DisableTaskMgr" }, CheckBox1.Checked);
    writePolicy(platform_, explorerPolicies, { "NoClose" }, Hideshutdwnbtn.Checked);
    // Two spellings of one value: names compare without regard to case.
    if (CheckBox4.Checked)
        writePolicy(platform_, explorerPolicies, { "NoLogoff", "StartMenuLogOff" }, true);
    else
        writePolicy(platform_, explorerPolicies, { "NoLogoff", "StartMenuLogoff" }, false);
    SaveSettingsStore(platform_, *this);
    application_.ShowNotice("Successfully saved, Some feature activated after restart");
    Visible = false;
}

void TForm2Model::BitBtn2Click()
{
    Visible = false;
}

void TForm2Model::BitBtn3Click(FileOpenDialog& dialog)
{
    if (const auto chosen = dialog.Execute(OpenDialog1))
        Edit1.Text = *chosen;
}

void TForm2Model::LoadSettings()
{
    LoadSettingsStore(platform_, *this);
}

void TForm2Model::shortcutClick(std::size_t row)
{
    UpdateDesktopActionFile(platform_, DesktopActionFileTable[row], ShortcutBox(row).Checked);
}

} // namespace vespern
