#pragma once

#include "CpuSampler.h"
#include "EventKind.h"
#include "LocalActions.h"
#include "MonitorSession.h"
#include "ProcessList.h"
#include "RemoteAction.h"
#include "TApplication.h"
#include "TargetMode.h"
#include "TimeText.h"

#include <functional>

namespace vespern {

class TForm1Model;
class TForm4Model;

// Arming, disarming and firing of the main window's events, in both modes: Start, Stop, Now and
// the two monitor ticks.
//
// Message boxes run nested message loops, so ticks can arrive while a firing is still being
// handled. Such ticks do nothing: there is one firing per occurrence and at most one error box,
// which the firing shows itself while it still holds the guard.
class EventMonitor {
public:
    EventMonitor(TForm1Model& form, PowerPlatform& platform, TApplication& application, LocalActions& localActions,
        const bool& emptyRecycleBin);

    void SetConfirmationDialog(TForm4Model& dialog) { dialog_ = &dialog; }

    void EventListChange(TargetMode mode) { session(mode).EventListChange(); }
    void Start();
    // Disarms the current mode's event and cancels a confirmation that is still counting.
    void Stop();
    // Runs the selected action of the current mode, then Stop. A failed remote action ends it with
    // its error before Stop.
    void Now();
    // Now as a user-interface event of its own: a failure is shown at once; returns whether Now completed.
    bool NowShowingErrors();
    void Tick(TargetMode mode);
    // The confirmed event of the mode runs its action, as a user-interface event of its own (a
    // failure is shown at once); returns whether the action ran to its end.
    bool RunConfirmed(TargetMode mode);

    // A firing is being handled (ticks arriving now must do nothing).
    bool Busy() const { return busy_; }
    TargetMode CurrentMode() const;
    MonitorSession& session(TargetMode mode) { return mode == TargetMode::LocalComputer ? local_ : network_; }
    CpuSampler& sampler() { return sampler_; }

private:
    MonitorControls controlsOf(TargetMode mode);
    void fire(TargetMode mode);
    // Runs the mode's action and disarms it.
    void now(TargetMode mode);
    // A fired event: its action runs, then its display and progress hide, Start shows again
    // and the mode is disarmed.
    void runFired(TargetMode mode);
    void disarm(MonitorSession& armed);
    bool runGuarded(const std::function<void()>& body);

    TForm1Model& form_;
    TApplication& application_;
    LocalActions& localActions_;
    TimeText timeText_;
    ProcessList processes_;
    CpuSampler sampler_;
    RemoteAction remote_;
    MonitorSession local_;
    MonitorSession network_;
    TForm4Model* dialog_ = nullptr;
    bool busy_ = false;
};

} // namespace vespern
