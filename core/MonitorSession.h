#pragma once

#include "Controls.h"
#include "CpuSampler.h"
#include "EventKind.h"
#include "LocalActions.h"
#include "ProcessList.h"
#include "TimeText.h"
#include "UserNotices.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vespern {

// Told once per Battery Low arming on a computer that reports no battery charge.
inline constexpr char NoBatteryNotice[]
    = "This computer reports no battery, so Battery Low cannot occur; it keeps waiting in case a battery appears.";

// The controls of one mode that choose, arm, show and measure its event.
struct MonitorControls {
    TTimer& timer;
    TComboBox& eventList;
    TComboBox& actionList;
    std::vector<TControl*> groups; // disabled while armed, the mode selector last
    TButton& start;
    TButton& stop;
    TPanel& placeholder; // lies over the settings panels until the first choice
    std::array<TPanel*, EventKindCount> settingsPanels;
    TPanel& progress;
    std::array<TPanel*, EventKindCount> displayPanels;
    // Countdown
    const TSpinEdit& minutes;
    TLabel& timelefth; // minutesLeft
    TLabel& timeleft;
    TPanel& bar; // barWidth
    // On Time
    const TDateTimePickerEx& picker;
    TLabel& timescedule; // scheduledText
    TLabel& timesceduleh; // nowText
    // On Process Stops
    TComboBox& processList;
    TLabel& processnow; // processName
    // Low CPU Usage
    CpuControls cpu;
    // Battery Low
    const TSpinEdit& batteryThreshold;
    TLabel& battlifeh; // batteryPercent
    TLabel& battlife;
};

// What the events measure, shared by both modes.
struct MonitorServices {
    PowerPlatform& platform;
    TimeText& timeText;
    ProcessList& processes;
    CpuSampler& sampler;
    LocalActions& localActions; // the battery reading
    UserNotices& notices; // what the user must hear about outside an error
};

// The one armed event of a mode (MonitorSession): arming, disarming and the tick's five blocks,
// with every value held and shown in the mode's controls.
class MonitorSession {
public:
    static constexpr int FullBar = 240;
    static constexpr int BarStep = 4;
    // On Time: the longest gap between two looks at the clock over which a scheduled second still fires.
    static constexpr int MaxLateSeconds = 60;

    MonitorSession(MonitorControls controls, MonitorServices services);

    // The change handler of the event list: shows the chosen event's settings.
    void EventListChange();

    // Whether both an event and an action are chosen.
    bool SelectionComplete() const;
    // Start's steps after validation.
    void Arm();
    // Stop's steps.
    void Disarm();
    bool Armed() const { return controls_.stop.Visible; }

    // The armed event's block; returns whether the event has occurred. Text that cannot be converted
    // fails with a TextConversionError.
    bool Tick();
    // After a firing without confirmation: hides the event's display and the progress panel and
    // shows Start again.
    void HideFired();

    std::optional<EventKind> Event() const { return EventFromIndex(controls_.eventList.ItemIndex); }
    MonitorControls& controls() { return controls_; }

private:
    void showOnly(std::array<TPanel*, EventKindCount>& panels, EventKind kind);
    bool countdownTick();
    bool onTimeTick();
    bool processTick();
    bool cpuTick();
    bool batteryTick();
    void showBattery();

    MonitorControls controls_;
    MonitorServices services_;
    // On Time: the scheduled second of the day and the local time of the previous look at the clock.
    int scheduledSecond_ = 0;
    std::int64_t previousLook_ = 0;
    // Battery Low: the missing battery has not been told in this arming yet.
    bool noBatteryToTell_ = false;
};

} // namespace vespern
