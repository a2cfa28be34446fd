#include "SimpleTimer.h"

#include <utility>

namespace vespern::ui {

TSimpleTimer::TSimpleTimer(HWND window, UINT_PTR identity, std::function<void()> tick)
    : window_(window)
    , identity_(identity)
    , tick_(std::move(tick))
{
}

TSimpleTimer::~TSimpleTimer()
{
    Stop();
}

bool TSimpleTimer::Start(int milliseconds)
{
    if (milliseconds <= 0)
        return false;
    Stop();
    running_ = ::SetTimer(window_, identity_, static_cast<UINT>(milliseconds), nullptr) != 0;
    return running_;
}

void TSimpleTimer::Stop()
{
    if (!running_)
        return;
    running_ = false;
    ::KillTimer(window_, identity_);
}

void TSimpleTimer::Tick()
{
    // A tick already queued when the timer was stopped is not delivered.
    if (running_ && tick_)
        tick_();
}

} // namespace vespern::ui
