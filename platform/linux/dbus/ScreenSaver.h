#pragma once

// Starts the screensaver through the desktop's screensaver service on the session bus.

#include "platform/linux/Outcome.h"

#include <chrono>

namespace vespern {

class ScreenSaver {
public:
    explicit ScreenSaver(std::chrono::milliseconds timeout);

    // GNOME's service on GNOME, else org.freedesktop.ScreenSaver at either of its usual paths,
    // then the other; a service that is not running yet is started by the bus.
    Outcome Activate() const;

private:
    std::chrono::milliseconds timeout_;
};

} // namespace vespern
