#pragma once

#include "ComputerDiscovery.h"
#include "EventPump.h"
#include "PowerPlatform.h"
#include "UserNotice.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vespern {

struct PlatformChoice {
    bool dryRun = false; // VESPERN_DRY_RUN=1
    // Where the dry run prints its requests; standard error, flushed per line, when empty.
    std::function<void(const std::string&)> dryRunSink;
    // The window system's computer browser; without one, browsing says it cannot.
    ComputerPicker computerPicker;
    // Where the backend posts what the user must hear about (a refused request, say).
    UserNoticeSink notices;
    // The native handle of each of the program's windows (0 while it has none), for the requests
    // addressed to them; a system whose backend needs no handles ignores it.
    std::function<std::uintptr_t(Window window)> windowHandles;
    // Hands the message loop the pump that brings the answers of requests sent without waiting;
    // a backend whose requests return when the system has taken them has none. Without it the
    // answers are handled only when the backend ends.
    std::function<void(EventPump& pump)> watchPump;
};

// The backend of this system, wrapped in the dry run when asked for.
std::unique_ptr<PowerPlatform> CreatePowerPlatform(const PlatformChoice& choice);

// True when the environment asks for the dry run (VESPERN_DRY_RUN=1).
bool DryRunRequested(const char* value);

} // namespace vespern
