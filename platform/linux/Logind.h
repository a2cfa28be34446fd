#pragma once

// The session and power requests, made to systemd-logind (org.freedesktop.login1) on the system bus.

#include "Outcome.h"

#include <chrono>

namespace vespern {

enum class PowerRequest { PowerOff, Reboot, Suspend, Hibernate };

class Logind {
public:
    explicit Logind(std::chrono::milliseconds timeout);

    // Without force the request is refused while another program holds a block inhibitor for it;
    // with force it is made regardless of them, as far as this logind allows.
    Outcome Request(PowerRequest request, bool force);
    // Both act on the login session this program runs in.
    Outcome TerminateOwnSession();
    Outcome LockOwnSession();

private:
    std::chrono::milliseconds timeout_;
};

} // namespace vespern
