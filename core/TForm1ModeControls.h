#pragma once

#include "Controls.h"
#include "EventKind.h"
#include "TForm1ControlIds.h"
#include "TargetMode.h"

#include <array>
#include <vector>

namespace vespern {

// A control of the main window, the name it goes by and its number.
template <typename Control> struct TNamed {
    const char* Name;
    Control& Model;
    TForm1Id Id;
};

// The controls one target mode uses: the local computer's set or the network computer's twins
// (most of them named after the local control with an "x" at the end). Each part of the program
// reaches a mode's controls through this table only.
struct TForm1ModeControls {
    TargetMode Mode;
    TNamed<TPanel> Set; // the mode's band of choices, shown while the mode is selected
    TNamed<TGroupBox> Computer; // which computer: its name, or the client's name to type
    // The event and its settings: one panel per event, stacked, with the placeholder over them
    // until the first choice.
    TNamed<TGroupBox> EventGroup;
    TNamed<TComboBox> EventList;
    std::array<TNamed<TPanel>, EventKindCount> Settings;
    TNamed<TPanel> Placeholder;
    TNamed<TSpinEdit> Minutes;
    TNamed<TDateTimePickerEx> Time;
    TNamed<TComboBox> ProcessList;
    TNamed<TSpinEdit> CpuPercent;
    TNamed<TSpinEdit> CpuSeconds;
    TNamed<TSpinEdit> BatteryPercent;
    TNamed<TGroupBox> ActionGroup;
    TNamed<TComboBox> ActionList;
    // The progress band of the armed event: one display panel per event, stacked.
    TNamed<TPanel> Progress;
    std::array<TNamed<TPanel>, EventKindCount> Displays;
    TNamed<TLabel> TimeLeft; // the countdown's text
    TNamed<TLabel> MinutesLeft; // hidden: the minutes the countdown counts down
    TNamed<TPanel> Track; // black, under the bar
    TNamed<TPanel> Bar; // red: its width is the part of the minute left
    TNamed<TLabel> Scheduled;
    TNamed<TLabel> NowText;
    TNamed<TLabel> ProcessName;
    TNamed<TLabel> CpuUsage;
    TNamed<TLabel> CpuTime;
    TNamed<TEdit> CpuSample; // hidden: the last load in the "0.0" format
    TNamed<TLabel> BatteryLife;
    TNamed<TLabel> BatteryPercentLeft; // hidden: the charge as a number
    TTimer& Timer; // the monitor tick of the armed event
    std::vector<TControl*> LockedWhileArmed; // the groups an armed event disables, the mode selector last
};

} // namespace vespern
