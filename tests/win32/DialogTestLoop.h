#pragma once

// The event loop of the in-process window tests: the core's mirrored timers stand still until a test fires
// them, one tick at a time, as the window system's timer would.

#include "core/UiEvents.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace vespern::test {

class ManualLoop final : public EventLoop {
public:
    class Timer final : public ViewTimer {
    public:
        explicit Timer(std::function<void()> tick)
            : tick_(std::move(tick))
        {
        }
        void Start(int intervalMilliseconds) override { interval = intervalMilliseconds; }
        void Stop() override { interval = 0; }
        // One tick, when the timer runs.
        void Fire()
        {
            if (interval > 0)
                tick_();
        }
        int interval = 0; // 0 while stopped

    private:
        std::function<void()> tick_;
    };

    std::unique_ptr<ViewTimer> CreateTimer(const std::string& name, std::function<void()> tick) override
    {
        auto timer = std::make_unique<Timer>(std::move(tick));
        timers[name] = timer.get();
        return timer;
    }
    void EndMessageLoop() override { ended = true; }

    std::map<std::string, Timer*> timers;
    bool ended = false;
};

} // namespace vespern::test
