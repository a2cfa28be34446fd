#include "ScreenSaver.h"

#include "SdBus.h"

#include <string_view>

namespace vespern {

namespace {

constexpr std::string_view action = "start the screensaver";

const sdbus::Object candidates[] = {
    { "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver" },
    { "org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver" },
    { "org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver" },
};

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

Outcome ScreenSaver::Activate()
{
    auto bus = sdbus::Bus::Open(sdbus::BusKind::Session, timeout_);
    for (const auto& candidate : candidates) {
        const auto reply = bus.Call(candidate, "SetActive", "b", 1);
        if (absent(reply))
            continue;
        if (!reply.ok())
            return sdbus::FailureOf(reply, action, candidate.service, bus);
        if (refused(reply))
            return Outcome::Failure(
                syserr::AccessDenied, "vespern: cannot start the screensaver: " + candidate.service + " declined");
        return Outcome::Success();
    }
    return Outcome::Failure(syserr::ServerUnavailable,
        std::string("vespern: cannot start the screensaver: no screensaver service is running on ") + bus.label());
}

} // namespace vespern
