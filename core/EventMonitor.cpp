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
    , local_(controlsOf(TargetMode::LocalComputer),
          { platform, timeText_, processes_, sampler_, localActions, application.Notices() })
    , network_(controlsOf(TargetMode::NetworkComputer),
          { platform, timeText_, processes_, sampler_, localActions, application.Notices() })
{
}

MonitorControls EventMonitor::controlsOf(TargetMode mode)
{
    auto c = form_.ModeControls(mode);
    const auto panels = [](const std::array<TNamed<TPanel>, EventKindCount>& named) {
        std::array<TPanel*, EventKindCount> out {};
        for (std::size_t i = 0; i < named.size(); ++i)
            out[i] = &named[i].Model;
        return out;
    };
    return MonitorControls {
        c.Timer,
        c.EventList.Model,
        c.ActionList.Model,
        std::move(c.LockedWhileArmed),
        form_.BitBtn2,
        form_.BitBtn4,
        c.Placeholder.Model,
        panels(c.Settings),
        c.Progress.Model,
        panels(c.Displays),
        c.Minutes.Model,
        c.MinutesLeft.Model,
        c.TimeLeft.Model,
        c.Bar.Model,
        c.Time.Model,
        c.Scheduled.Model,
        c.NowText.Model,
        c.ProcessList.Model,
        c.ProcessName.Model,
        { c.CpuSample.Model, c.CpuUsage.Model, c.CpuTime.Model, c.CpuPercent.Model, c.CpuSeconds.Model },
        c.BatteryPercent.Model,
        c.BatteryPercentLeft.Model,
        c.BatteryLife.Model,
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
    if (const auto mode = TargetModeFromIndex(form_.RadioGroup1.ItemIndex))
        now(*mode);
}

void EventMonitor::now(TargetMode mode)
{
    switch (mode) {
    case TargetMode::LocalComputer:
        if (const auto kind = ActionFromIndex(form_.ComboBox1.ItemIndex))
            localActions_.RunLocalAction(*kind);
        break;
    case TargetMode::NetworkComputer:
        if (const auto kind = RemoteActionFromIndex(form_.ComboBox3.ItemIndex))
            remote_.RunRemoteAction(*kind);
        break;
    }
    disarm(session(mode));
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
    if (form_.CheckBox2.Checked) {
        if (dialog_ == nullptr)
            throw std::logic_error("the confirmation dialog is not connected to the main window");
        dialog_->ShowCountdown(mode);
        return;
    }
    runFired(mode);
}

bool EventMonitor::RunConfirmed(TargetMode mode)
{
    return runGuarded([this, mode] { runFired(mode); });
}

void EventMonitor::runFired(TargetMode mode)
{
    now(mode);
    session(mode).HideFired();
    disarm(session(mode));
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
