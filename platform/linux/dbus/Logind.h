#pragma once

// The session and power requests, made to systemd-logind (org.freedesktop.login1) on the system bus.

#include "platform/linux/Outcome.h"

#include <chrono>

namespace vespern {

enum class PowerRequest { PowerOff, Reboot, Suspend, Hibernate };

class Logind {
public:
    // The requests that polkit guards may wait up to authorizationTimeout for the user to
    // authenticate; everything else up to timeout.
    Logind(std::chrono::milliseconds timeout, std::chrono::milliseconds authorizationTimeout);

    // Without force the request is refused while another program holds a block inhibitor for it;
    // with force it is made regardless of them, as far as this logind allows.
    Outcome Request(PowerRequest request, bool force) const;
    // Both act on the login session this program runs in.
    Outcome TerminateOwnSession() const;
    Outcome LockOwnSession() const;

private:
    std::chrono::milliseconds timeout_;
    std::chrono::milliseconds authorizationTimeout_;
};

} // namespace vespern
