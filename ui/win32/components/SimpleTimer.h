#pragma once

#include "../WindowsApi.h"

#include <functional>

namespace vespern::ui {

// A timer of the window system whose ticks arrive as WM_TIMER at a window of ours; that window
// hands them to Tick. The timer is killed when it goes.
class TSimpleTimer {
public:
    TSimpleTimer(HWND window, UINT_PTR identity, std::function<void()> tick);
    ~TSimpleTimer();
    TSimpleTimer(const TSimpleTimer&) = delete;
    TSimpleTimer& operator=(const TSimpleTimer&) = delete;

    // (Re)starts with the interval; false when the interval is 0 or the system refused.
    bool Start(int milliseconds);
    void Stop();
    bool Running() const { return running_; }
    UINT_PTR Identity() const { return identity_; }

    // A WM_TIMER of the window with this timer's identity.
    void Tick();

private:
    HWND window_;
    UINT_PTR identity_;
    std::function<void()> tick_;
    bool running_ = false;
};

} // namespace vespern::ui
