#pragma once

#include "Controls.h"
#include "TApplication.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vespern {

// A repeating timer of the window system; its tick runs on the user-interface thread.
class ViewTimer {
public:
    virtual ~ViewTimer() = default;
    // Starts, or restarts with a new interval.
    virtual void Start(int intervalMilliseconds) = 0;
    virtual void Stop() = 0;
};

// What the message loop of a window system offers the core.
class EventLoop {
public:
    virtual ~EventLoop() = default;
    // A timer, stopped until started; name says whose it is ("TForm1.Timer1").
    virtual std::unique_ptr<ViewTimer> CreateTimer(const std::string& name, std::function<void()> tick) = 0;
    // Ends the message loop once control returns to it, so that the running handler finishes.
    virtual void EndMessageLoop() = 0;
};

// The top of every user-interface event, the same for every front end: runs the core handler
// through the application's error box, lets every window show the models again, mirrors the
// model timers into real ones, and ends the message loop once the application was asked to
// terminate.
class UiEvents final {
public:
    UiEvents(TApplication& application, EventLoop& loop);

    void Handle(const std::function<void()>& handler);
    // A window that shows the models again after every event, until it removes itself (first
    // thing in its destructor, so that events raised while it is torn down leave it alone).
    void AddView(const void* view, std::function<void()> refresh);
    void RemoveView(const void* view);
    // Every view, then every mirrored timer.
    void RefreshAll();

    // A model timer whose Enabled and Interval a real timer follows after every event; each tick
    // runs tick as an event.
    void MirrorTimer(const std::string& name, const TTimer& model, const std::function<void()>& tick);

    TApplication& application() { return application_; }

private:
    struct Mirror {
        const TTimer* model;
        std::unique_ptr<ViewTimer> timer;
        int runningInterval; // 0 while stopped
    };

    void syncTimers();

    TApplication& application_;
    EventLoop& loop_;
    std::vector<std::pair<const void*, std::function<void()>>> views_;
    std::vector<Mirror> timers_;
    bool endRequested_ = false;
};

// A view applies each new count of a show request once, so that a second request raises a
// window already showing.
class AppliedCount {
public:
    // Whether count is new since the last call.
    bool Take(unsigned count)
    {
        if (count == applied_)
            return false;
        applied_ = count;
        return true;
    }

private:
    unsigned applied_ = 0;
};

} // namespace vespern
