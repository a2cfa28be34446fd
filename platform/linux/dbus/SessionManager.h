#pragma once

// Ends the login session the way the desktop's own menu does: through the session manager of
// the running desktop on the session bus, which asks the programs to save their work and lets
// them object, without the desktop's own confirmation dialog where its interface allows.

#include "platform/linux/Outcome.h"

#include <chrono>
#include <optional>

namespace vespern {

enum class SessionEnd { LogOff, PowerOff, Reboot };

class SessionManager {
public:
    explicit SessionManager(std::chrono::milliseconds timeout);

    // The outcome of the request, or nothing when no session manager this program knows runs
    // on the session bus (the request is then logind's). The desktop is the one whose name is
    // owned on the bus; XDG_CURRENT_DESKTOP only says which to look for first.
    std::optional<Outcome> End(SessionEnd what) const;

private:
    std::chrono::milliseconds timeout_;
};

} // namespace vespern
