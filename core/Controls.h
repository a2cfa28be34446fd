#pragma once

// The state of the windows' controls, held by the core and shown by the views. Each window
// model names its members after its controls; these are the properties the program reads and
// writes on them.

#include <string>
#include <vector>

namespace vespern {

struct TControl {
    bool Visible = true;
    bool Enabled = true;
    std::string Hint;
};

struct TLabel : TControl {
    std::string Caption;
    int FontSize = 8; // points
};

struct TButton : TControl {
    std::string Caption;
};

struct TCheckBox : TControl {
    std::string Caption;
    bool Checked = false;
};

struct TEdit : TControl {
    std::string Text;
    bool ReadOnly = false;
};

struct TSpinEdit : TControl {
    int MinValue = 0;
    int MaxValue = 0;
    std::string Text;
};

struct TComboBox : TControl {
    std::vector<std::string> Items;
    int ItemIndex = -1;
    std::string Text;
};

struct TPanel : TControl {
    std::string Caption;
    int Width = 0;
    int Height = 0;
};

struct TGroupBox : TControl {
    std::string Caption;
};

struct TRadioGroup : TControl {
    std::string Caption;
    std::vector<std::string> Items;
    int ItemIndex = -1;
};

struct TTimer {
    bool Enabled = false;
    int Interval = 1000;
};

struct TMenuItem : TControl {
    std::string Caption;
    bool Checked = false;
    bool AutoCheck = false;
    bool RadioItem = false;
    bool IsSeparator = false;
};

} // namespace vespern
