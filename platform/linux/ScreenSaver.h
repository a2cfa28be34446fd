#pragma once

// Starts the screensaver through the desktop's screensaver service on the session bus.

#include "Outcome.h"

#include <chrono>

namespace vespern {

class ScreenSaver {
public:
    explicit ScreenSaver(std::chrono::milliseconds timeout);

    // org.freedesktop.ScreenSaver at either of its usual paths, else GNOME's own service.
    Outcome Activate();

private:
    std::chrono::milliseconds timeout_;
};

} // namespace vespern
