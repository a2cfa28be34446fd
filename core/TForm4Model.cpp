#include "TForm4Model.h"

#include "TForm1Model.h"

#include <algorithm>

namespace vespern {

namespace {

TButton button(const std::string& caption)
{
    TButton control;
    control.Caption = caption;
    return control;
}

TPanel bar(int width)
{
    TPanel control;
    control.Width = width;
    control.Height = 7;
    return control;
}

} // namespace

TForm4Model::TForm4Model(TForm1Model& form1)
    : form1_(form1)
{
    Memo1.Text = "Are you sure ?";
    // The question is rewritten at every show and nothing reads it back: typing into it would
    // only be lost again.
    Memo1.ReadOnly = true;
    Panel16 = bar(FullBar);
    Panel15 = bar(FullBar);
    BitBtn2 = button("Cancel");
    BitBtn1 = button("Execute Now");
    form1_.SetConfirmationDialog(*this);
}

void TForm4Model::Show()
{
    if (Visible) {
        ++FrontRequests;
        return;
    }
    Visible = true;
    FormShow();
}

void TForm4Model::ShowCountdown(TargetMode mode)
{
    Show();
    pending_ = mode;
    timerOf(mode).Enabled = true;
}

void TForm4Model::FormShow()
{
    // The question names the action that Now will run: the action list of the current mode.
    const auto controls = form1_.ModeControls(form1_.monitor().CurrentMode());
    Memo1.Text = " Are you sure wan to " + controls.ActionList.Model.Text + " ?";
    form1_.Panelproggress.Visible = false;
    Panel15.Width = FullBar;
}

void TForm4Model::countdownTick(TargetMode mode)
{
    // A tick during a firing's message box waits; an emptied bar (a failed action) stays empty
    // until the dialog is shown again or "Execute Now" tries once more.
    if (!timerOf(mode).Enabled || form1_.EventsBusy() || Panel15.Width <= 0)
        return;
    Panel15.Width = std::max(0, Panel15.Width - BarStep);
    if (Panel15.Width == 0)
        finishCountdown(mode);
}

void TForm4Model::finishCountdown(TargetMode mode)
{
    if (form1_.monitor().RunConfirmed(mode))
        CancelPending();
}

void TForm4Model::BitBtn1Click()
{
    finishCountdown(pending_);
}

void TForm4Model::CancelPending()
{
    Timer1.Enabled = false;
    Timer2.Enabled = false;
    Visible = false;
}

void TForm4Model::BitBtn2Click()
{
    CancelPending();
    form1_.BitBtn4Click();
}

} // namespace vespern
