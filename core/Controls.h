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

    // The user selected an item: the list takes it and its text. Returns whether the selection
    // changed, which alone runs a change handler (a pick of the chosen item runs none).
    bool Select(int index, std::string text)
    {
        const bool changed = ItemIndex != index;
        ItemIndex = index;
        Text = std::move(text);
        return changed;
    }
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

// A time-of-day picker; the value is a date-time as days since 1899-12-30, the time of day
// being its fraction. The design-time display format never reaches the native control.
struct TDateTimePickerEx : TControl {
    double DateTime = 1.0 / 24.0; // 01:00:00
    std::string FormatString = "MM/dd/YYYY";
};

struct TImage : TControl {
    int Width = 0;
    int Height = 0;
    bool Stretch = false;
    bool Transparent = false;
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
