#include "TForm2Model.h"

namespace vespern {

TForm2Model::TForm2Model()
{
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
}

void TForm2Model::LoadSettings() { }

} // namespace vespern
