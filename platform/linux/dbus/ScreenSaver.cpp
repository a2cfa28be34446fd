#include "ScreenSaver.h"

#include "CurrentDesktop.h"
#include "SdBus.h"

#include <string_view>
#include <vector>

namespace vespern {

namespace {

constexpr std::string_view action = "start the screensaver";

const sdbus::Object freedesktopScreenSaver { "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
    "org.freedesktop.ScreenSaver" };
const sdbus::Object plasmaScreenSaver { "org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver" };
const sdbus::Object gnomeScreenSaver { "org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver" };

// The desktop's own service first: GNOME's on GNOME, the freedesktop one elsewhere.
std::vector<const sdbus::Object*> candidates()
{
    if (CurrentDesktopIs("GNOME"))
        return { &gnomeScreenSaver, &freedesktopScreenSaver, &plasmaScreenSaver };
    return { &freedesktopScreenSaver, &plasmaScreenSaver, &gnomeScreenSaver };
}

bool absent(const sdbus::Reply& reply)
{
    return reply.failure() == sdbus::Failure::NoService || reply.failure() == sdbus::Failure::UnknownMember;
}

// Some services answer SetActive with whether they did it.
bool refused(const sdbus::Reply& reply)
{
    const char* signature = sd_bus_message_get_signature(reply.message(), 1);
    int active = 1;
    return signature && std::string_view(signature) == "b" && sd_bus_message_read(reply.message(), "b", &active) > 0
        && !active;
}

} // namespace

ScreenSaver::ScreenSaver(std::chrono::milliseconds timeout)
    : timeout_(timeout)
{
}

Outcome ScreenSaver::Activate() const
{
    auto bus = sdbus::Bus::Open(sdbus::BusKind::Session, timeout_);
    // Current desktops start their screensaver service on demand.
    const sdbus::CallOptions startIfNeeded { .startService = true };
    for (const auto* candidate : candidates()) {
        const auto reply = bus.Call(startIfNeeded, *candidate, "SetActive", "b", 1);
        if (absent(reply))
            continue;
        if (!reply.ok())
            return sdbus::FailureOf(reply, action, candidate->service, bus);
        if (refused(reply))
            return Outcome::Failure(syserr::AccessDenied,
                "vespern: cannot start the screensaver: " + candidate->service + " declined",
                candidate->service + " declined");
        return Outcome::Success();
    }
    return Outcome::Failure(syserr::ServerUnavailable,
        std::string("vespern: cannot start the screensaver: no screensaver service is running on ") + bus.label(),
        "no screensaver service runs on this desktop");
}

} // namespace vespern
