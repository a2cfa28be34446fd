#pragma once

#include "Controls.h"

namespace vespern {

// The options dialog. Its controls are the live option values: the local actions read
// "Run program before execute", the program path and "Empty Recycle bin on action" from here.
class TForm2Model {
public:
    TForm2Model();

    bool Visible = false;

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

    // Reads the persisted options into the controls (the settings store's load).
    void LoadSettings();
};

} // namespace vespern
