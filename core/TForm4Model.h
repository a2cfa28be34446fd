#pragma once

#include "Controls.h"
#include "TargetMode.h"

#include <string>

namespace vespern {

class TForm1Model;

// A multi-line text box holds what a one-line edit holds.
using TMemo = TEdit;

// The confirmation dialog: a question and a red bar that empties in ten one-second steps, after
// which the pending action runs through the main window's Now. Timer1 counts for a local event,
// Timer2 for a network one.
class TForm4Model {
public:
    static constexpr int FullBar = 260;
    static constexpr int BarStep = 26;

    // Connects itself to the main window, which shows it when a confirmed event fires.
    explicit TForm4Model(TForm1Model& form1);
    TForm4Model(const TForm4Model&) = delete;
    TForm4Model& operator=(const TForm4Model&) = delete;

    std::string Caption = "Message";
    int ClientWidth = 285;
    int ClientHeight = 202;
    bool Visible = false;
    // Counts the requests to bring the shown dialog to the front.
    unsigned FrontRequests = 0;

    TMemo Memo1;
    TPanel Panel16; // the black track
    TPanel Panel15; // the red bar: its width is the countdown
    TButton BitBtn2; // "Cancel"
    TButton BitBtn1; // "Execute Now"
    TTimer Timer1;
    TTimer Timer2;

    // A show request: a hidden dialog shows (FormShow), a shown one only comes to the front.
    void Show();
    // Shows the dialog and starts the countdown of the given mode.
    void ShowCountdown(TargetMode mode);
    void FormShow();
    // The title-bar close button: hides only; a running countdown goes on.
    void Close() { Visible = false; }
    // The pending action will not run: the countdown stops and the dialog hides. The main window
    // calls it whenever it disarms, so that nothing runs after Stop and Now runs only once.
    void CancelPending();

    void Timer1Timer() { countdownTick(TargetMode::LocalComputer); }
    void Timer2Timer() { countdownTick(TargetMode::NetworkComputer); }
    // "Execute Now": runs the pending action at once, as the end of the countdown would.
    void BitBtn1Click();
    // "Cancel"
    void BitBtn2Click();

private:
    void countdownTick(TargetMode mode);
    void finishCountdown(TargetMode mode);
    TTimer& timerOf(TargetMode mode) { return mode == TargetMode::LocalComputer ? Timer1 : Timer2; }

    TForm1Model& form1_;
    TargetMode pending_ = TargetMode::LocalComputer; // the mode of the last countdown shown
};

} // namespace vespern
