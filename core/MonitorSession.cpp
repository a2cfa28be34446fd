#include "MonitorSession.h"

#include "TextValues.h"

#include <algorithm>

namespace vespern {

namespace {

constexpr int secondsPerDay = 86400;

std::int64_t localNow(SystemInformation& platform, SystemTime& now)
{
    platform.GetLocalTime(now);
    return SecondsOfLocalTime(now);
}

} // namespace

MonitorSession::MonitorSession(MonitorControls controls, MonitorServices services)
    : controls_(std::move(controls))
    , services_(services)
{
}

void MonitorSession::showOnly(std::array<TPanel*, EventKindCount>& panels, EventKind kind)
{
    for (int index = 0; index < EventKindCount; ++index)
        panels[index]->Visible = index == static_cast<int>(kind);
}

void MonitorSession::EventListChange()
{
    controls_.placeholder.Visible = false;
    const auto kind = Event();
    if (!kind)
        return;
    showOnly(controls_.settingsPanels, *kind);
    if (*kind == EventKind::OnProcessStops)
        services_.processes.ListProcessNames(controls_.processList);
}

bool MonitorSession::SelectionComplete() const
{
    const int action = controls_.actionList.ItemIndex;
    return Event().has_value() && action >= 0 && action < static_cast<int>(controls_.actionList.Items.size());
}

void MonitorSession::Arm()
{
    for (auto* group : controls_.groups)
        group->Enabled = false;
    controls_.timer.Enabled = true;
    controls_.start.Visible = false;
    controls_.stop.Visible = true;
    controls_.progress.Visible = true;

    const EventKind kind = *Event();
    // A display left visible by an earlier arming must not cover this one.
    showOnly(controls_.displayPanels, kind);
    switch (kind) {
    case EventKind::Countdown:
        controls_.timelefth.Caption = controls_.minutes.Text;
        controls_.timeleft.Caption = controls_.minutes.Text + " Minutes Remaining.";
        controls_.bar.Width = FullBar;
        return;
    case EventKind::OnTime: {
        const TimeOfDay scheduled = TimeOfDayFromDateTime(controls_.picker.DateTime);
        scheduledSecond_ = scheduled.hour * 3600 + scheduled.minute * 60 + scheduled.second;
        controls_.timescedule.Caption = services_.timeText.Format(scheduled);
        SystemTime now;
        previousLook_ = localNow(services_.platform, now);
        controls_.timesceduleh.Caption = services_.timeText.Format({ now.wHour, now.wMinute, now.wSecond });
        return;
    }
    case EventKind::OnProcessStops:
        controls_.processnow.Caption = controls_.processList.Text;
        return;
    case EventKind::LowCpuUsage:
        services_.sampler.BeginArming();
        return;
    case EventKind::BatteryLow:
        noBatteryToTell_ = true;
        showBattery();
        return;
    }
}

void MonitorSession::Disarm()
{
    for (auto* group : controls_.groups)
        group->Enabled = true;
    controls_.timer.Enabled = false;
    controls_.progress.Visible = false;
    controls_.stop.Visible = false;
    controls_.start.Visible = true;
}

bool MonitorSession::Tick()
{
    const auto kind = Event();
    if (!kind)
        return false;
    switch (*kind) {
    case EventKind::Countdown:
        return countdownTick();
    case EventKind::OnTime:
        return onTimeTick();
    case EventKind::OnProcessStops:
        return processTick();
    case EventKind::LowCpuUsage:
        return cpuTick();
    case EventKind::BatteryLow:
        return batteryTick();
    }
    return false;
}

void MonitorSession::HideFired()
{
    if (const auto kind = Event())
        controls_.displayPanels[static_cast<int>(*kind)]->Visible = false;
    controls_.progress.Visible = false;
    controls_.start.Visible = true;
    controls_.stop.Visible = false;
}

bool MonitorSession::countdownTick()
{
    controls_.bar.Width = std::max(0, controls_.bar.Width - BarStep);
    if (controls_.bar.Width != 0)
        return false;
    const long long left = IntegerFromText(controls_.timelefth.Caption) - 1;
    controls_.timelefth.Caption = std::to_string(left);
    controls_.timeleft.Caption = controls_.timelefth.Caption + " Minutes Remaining.";
    controls_.bar.Width = FullBar;
    return left == 0;
}

// Fires when the scheduled second lies after the previous look at the clock and at or before this
// one, so a tick that comes a little late still fires. After a longer gap (the computer slept, the
// clock was set forward) the time counts as missed, and the event waits for it on the next day:
// waking up hours later must not shut the computer down.
bool MonitorSession::onTimeTick()
{
    SystemTime now;
    const std::int64_t current = localNow(services_.platform, now);
    controls_.timesceduleh.Caption = services_.timeText.Format({ now.wHour, now.wMinute, now.wSecond });
    const std::int64_t previous = previousLook_;
    previousLook_ = current;
    if (current <= previous || current - previous > MaxLateSeconds) // the same second, set back, or a gap
        return false;
    std::int64_t due = previous - (previous % secondsPerDay + secondsPerDay) % secondsPerDay + scheduledSecond_;
    if (due <= previous)
        due += secondsPerDay;
    return due <= current;
}

bool MonitorSession::processTick()
{
    controls_.processnow.Caption = controls_.processList.Text;
    return !services_.processes.IsProcessRunning(controls_.processnow.Caption);
}

bool MonitorSession::cpuTick()
{
    controls_.displayPanels[static_cast<int>(EventKind::LowCpuUsage)]->Visible = true;
    return services_.sampler.Sample(controls_.cpu);
}

void MonitorSession::showBattery()
{
    controls_.battlifeh.Caption = std::to_string(services_.localActions.GetBatteryPercent());
    controls_.battlife.Caption = controls_.battlifeh.Caption + " %";
}

// Without a valid charge (-1: no battery, or none that reports) the event cannot occur: a desktop
// must not be shut down for a battery it does not have. It stays armed in case a battery appears.
bool MonitorSession::batteryTick()
{
    controls_.displayPanels[static_cast<int>(EventKind::BatteryLow)]->Visible = true;
    showBattery();
    const double battery = NumberFromText(controls_.battlifeh.Caption, ".");
    const double threshold = NumberFromText(controls_.batteryThreshold.Text, ".");
    if (battery >= 0)
        return battery <= threshold;
    if (noBatteryToTell_)
        services_.notices.Post({ NoticeKind::Warning, NoBatteryNotice });
    noBatteryToTell_ = false;
    return false;
}

} // namespace vespern
