#include "EventMonitor.h"

#include "TForm1Model.h"
#include "TForm4Model.h"
#include "TextValues.h"

#include <stdexcept>

namespace vespern {

EventMonitor::EventMonitor(TForm1Model& form, PowerPlatform& platform, TApplication& application,
    LocalActions& localActions, const bool& emptyRecycleBin)
    : form_(form)
    , application_(application)
    , localActions_(localActions)
    , timeText_(platform)
    , processes_(platform)
    , sampler_(platform)
    , remote_(platform, localActions, { form.Edit1.Text, form.CheckBox1.Checked, emptyRecycleBin })
    , local_(localControls(), { platform, timeText_, processes_, sampler_, localActions, application.Notices() })
    , network_(networkControls(), { platform, timeText_, processes_, sampler_, localActions, application.Notices() })
{
}

MonitorControls EventMonitor::localControls()
{
    auto& f = form_;
    return MonitorControls {
        f.Timer1,
        f.ComboBox2,
        f.ComboBox1,
        { &f.GroupBox1, &f.GroupBox2, &f.GroupBox3, &f.RadioGroup1 },
        f.BitBtn2,
        f.BitBtn4,
        f.Panel21,
        { &f.Panel4, &f.Panel10, &f.Panel11, &f.Panel12, &f.Panel13 },
        f.Panelproggress,
        { &f.Panelcountdwn, &f.Panelontime, &f.Panelprocess, &f.Panelcpu, &f.Panelbattlife },
        f.Timer,
        f.timelefth,
        f.timeleft,
        f.Paneltimeleft,
        f.DateTimePickerEx1,
        f.timescedule,
        f.timesceduleh,
        f.proccesscombo,
        f.processnow,
        { f.cpuusagedt, f.cpuusage, f.cputime, f.SpinEdit1, f.Edit2 },
        f.SpinEdit2,
        f.battlifeh,
        f.battlife,
    };
}

MonitorControls EventMonitor::networkControls()
{
    auto& f = form_;
    return MonitorControls {
        f.Timer2,
        f.ComboBox4,
        f.ComboBox3,
        { &f.GroupBox3, &f.GroupBox4, &f.GroupBox5, &f.GroupBox6, &f.RadioGroup1 },
        f.BitBtn2,
        f.BitBtn4,
        f.Panel6,
        { &f.Pcountdwn, &f.Pontime, &f.Pprocess, &f.Pcpuusage, &f.Pbattlow },
        f.Panelproggressx,
        { &f.Panelcountdwnx, &f.Panelontimex, &f.Panelprocessx, &f.Panelcpux, &f.Panelbattlifex },
        f.timerx,
        f.timelefthx,
        f.timeleftx,
        f.Paneltimeleftx,
        f.DateTimePickerEx2,
        f.timescedulex,
        f.timescedulehx,
        f.proccesscombox,
        f.processnowx,
        { f.cpuusagedtx, f.cpuusagex, f.cputimex, f.SpinEdit5, f.SpinEdit6 },
        f.SpinEdit4,
        f.battlifehx,
        f.battlifex,
    };
}

TargetMode EventMonitor::CurrentMode() const
{
    return TargetModeFromIndex(form_.RadioGroup1.ItemIndex).value_or(TargetMode::LocalComputer);
}

void EventMonitor::Start()
{
    MonitorSession& armed = session(CurrentMode());
    if (!armed.SelectionComplete()) {
        application_.ShowNotice("Please select event and action correctly");
        return;
    }
    armed.Arm();
}

void EventMonitor::Stop()
{
    disarm(session(CurrentMode()));
}

void EventMonitor::disarm(MonitorSession& armed)
{
    armed.Disarm();
    // A confirmation still counting belongs to the event just disarmed.
    if (dialog_ != nullptr)
        dialog_->CancelPending();
}

void EventMonitor::Now()
{
    const auto mode = TargetModeFromIndex(form_.RadioGroup1.ItemIndex);
    if (!mode)
        return;
    switch (*mode) {
    case TargetMode::LocalComputer:
        if (const auto kind = ActionFromIndex(form_.ComboBox1.ItemIndex))
            localActions_.RunLocalAction(*kind);
        Stop();
        return;
    case TargetMode::NetworkComputer:
        if (const auto kind = RemoteActionFromIndex(form_.ComboBox3.ItemIndex))
            remote_.RunRemoteAction(*kind);
        Stop();
        return;
    }
}

bool EventMonitor::NowShowingErrors()
{
    return runGuarded([this] { Now(); });
}

void EventMonitor::Tick(TargetMode mode)
{
    MonitorSession& armed = session(mode);
    if (busy_ || !armed.controls().timer.Enabled)
        return;
    runGuarded([&] {
        bool occurred = false;
        try {
            occurred = armed.Tick();
        } catch (const TextConversionError&) {
            // Reported once: the event is disarmed rather than failing again at every tick.
            disarm(armed);
            throw;
        }
        if (occurred)
            fire(mode);
    });
}

void EventMonitor::fire(TargetMode mode)
{
    MonitorSession& armed = session(mode);
    if (form_.CheckBox2.Checked) {
        if (dialog_ == nullptr)
            throw std::logic_error("the confirmation dialog is not connected to the main window");
        dialog_->ShowCountdown(mode);
        return;
    }
    Now();
    armed.HideFired();
    Stop();
    armed.controls().timer.Enabled = false;
}

bool EventMonitor::runGuarded(const std::function<void()>& body)
{
    if (busy_)
        return false;
    busy_ = true;
    struct Release {
        bool& busy;
        ~Release() { busy = false; }
    } release { busy_ };
    try {
        body();
        return true;
    } catch (const std::exception& error) {
        application_.ShowException(error.what());
    }
    return false;
}

} // namespace vespern
