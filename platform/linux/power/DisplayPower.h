#pragma once

// Switches the display off: X11 DPMS on an X11 display, otherwise (and when the X server has no
// DPMS) the desktop's own service on the session bus.

#include "platform/linux/Outcome.h"

#include <chrono>

namespace vespern {

class DisplayPower {
public:
    explicit DisplayPower(std::chrono::milliseconds timeout);

    Outcome TurnOff() const;

private:
    std::chrono::milliseconds timeout_;
};

} // namespace vespern
