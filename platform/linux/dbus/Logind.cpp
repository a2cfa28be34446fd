#include "Logind.h"

#include "SdBus.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>

namespace vespern {

namespace {

constexpr std::string_view serviceLabel = "logind (org.freedesktop.login1)";
constexpr char serviceName[] = "org.freedesktop.login1";
constexpr char sessionInterface[] = "org.freedesktop.login1.Session";
constexpr char userInterface[] = "org.freedesktop.login1.User";
constexpr std::uint64_t skipInhibitors = UINT64_C(1) << 4; // SD_LOGIND_SKIP_INHIBITORS

const sdbus::Object manager { serviceName, "/org/freedesktop/login1", "org.freedesktop.login1.Manager" };

struct RequestNames {
    const char* method;
    const char* withFlags;
    const char* inhibitWhat; // the inhibitor kind that can block it
    const char* action; // for messages
};

RequestNames namesOf(PowerRequest request)
{
    switch (request) {
    case PowerRequest::PowerOff:
        return { "PowerOff", "PowerOffWithFlags", "shutdown", "power off" };
    case PowerRequest::Reboot:
        return { "Reboot", "RebootWithFlags", "shutdown", "restart" };
    case PowerRequest::Suspend:
        return { "Suspend", "SuspendWithFlags", "sleep", "suspend" };
    case PowerRequest::Hibernate:
        break;
    }
    return { "Hibernate", "HibernateWithFlags", "sleep", "hibernate" };
}

Outcome unreadable(std::string_view action, int result)
{
    return Outcome::Failure(syserr::GenFailure,
        "vespern: cannot " + std::string(action) + ": " + std::string(serviceLabel)
            + " sent an answer that cannot be read: " + std::strerror(-result),
        std::string(serviceLabel) + " sent an answer that cannot be read");
}

// "what" is a colon-separated list such as "shutdown:sleep".
bool listsKind(std::string_view whatList, std::string_view kind)
{
    while (!whatList.empty()) {
        const auto colon = whatList.find(':');
        if (whatList.substr(0, colon) == kind)
            return true;
        if (colon == std::string_view::npos)
            break;
        whatList.remove_prefix(colon + 1);
    }
    return false;
}

struct Blocker {
    std::string who;
    std::string why;
};

// Finds a block inhibitor that another program holds against the request.
Outcome findBlocker(sdbus::Bus& bus, const RequestNames& names, std::optional<Blocker>& blocker)
{
    const auto reply = bus.Call(manager, "ListInhibitors", "");
    if (!reply.ok())
        return sdbus::FailureOf(reply, names.action, serviceLabel, bus);
    sd_bus_message* message = reply.message();
    int result = sd_bus_message_enter_container(message, 'a', "(ssssuu)");
    if (result < 0)
        return unreadable(names.action, result);
    const char *what = nullptr, *who = nullptr, *why = nullptr, *mode = nullptr;
    std::uint32_t uid = 0, pid = 0;
    while ((result = sd_bus_message_read(message, "(ssssuu)", &what, &who, &why, &mode, &uid, &pid)) > 0) {
        const std::string_view modeName(mode);
        if (pid == static_cast<std::uint32_t>(getpid()) || (modeName != "block" && modeName != "block-weak"))
            continue;
        if (listsKind(what, names.inhibitWhat)) {
            blocker = Blocker { who, why };
            return Outcome::Success();
        }
    }
    return result < 0 ? unreadable(names.action, result) : Outcome::Success();
}

Outcome readPath(const sdbus::Reply& reply, std::string_view action, std::string& path)
{
    const char* value = nullptr;
    if (const int result = sd_bus_message_read(reply.message(), "o", &value); result < 0)
        return unreadable(action, result);
    path = value;
    return Outcome::Success();
}

// A lookup that found nothing, as opposed to a logind that cannot be asked at all.
bool foundNothing(const sdbus::Reply& reply)
{
    return reply.failure() == sdbus::Failure::UnknownMember || reply.failure() == sdbus::Failure::Other;
}

// The session to act on: the one this process belongs to, else the one named by XDG_SESSION_ID
// (programs started by the desktop often run outside the session's own processes), else the
// user's graphical session.
Outcome findOwnSession(sdbus::Bus& bus, std::string_view action, std::string& path)
{
    auto reply = bus.Call(manager, "GetSessionByPID", "u", static_cast<std::uint32_t>(getpid()));
    if (reply.ok())
        return readPath(reply, action, path);
    if (!foundNothing(reply))
        return sdbus::FailureOf(reply, action, serviceLabel, bus);

    const char* sessionId = std::getenv("XDG_SESSION_ID");
    if (sessionId && *sessionId) {
        reply = bus.Call(manager, "GetSession", "s", sessionId);
        if (reply.ok())
            return readPath(reply, action, path);
        if (!foundNothing(reply))
            return sdbus::FailureOf(reply, action, serviceLabel, bus);
    }

    reply = bus.Call(manager, "GetUser", "u", static_cast<std::uint32_t>(getuid()));
    std::string userPath;
    if (reply.ok() && readPath(reply, action, userPath).ok()) {
        const auto display = bus.GetProperty({ serviceName, userPath, userInterface }, "Display", "(so)");
        const char *id = nullptr, *sessionPath = nullptr;
        if (display.ok() && sd_bus_message_read(display.message(), "(so)", &id, &sessionPath) > 0
            && std::string_view(sessionPath) != "/") {
            path = sessionPath;
            return Outcome::Success();
        }
    }
    return Outcome::Failure(syserr::NotFound,
        "vespern: cannot " + std::string(action) + ": " + std::string(serviceLabel)
            + " knows no login session of this program",
        "this program runs in no login session that logind knows");
}

Outcome callOnOwnSession(
    std::chrono::milliseconds timeout, const sdbus::CallOptions& guarded, const char* method, std::string_view action)
{
    auto bus = sdbus::Bus::Open(sdbus::BusKind::System, timeout);
    std::string path;
    if (auto found = findOwnSession(bus, action, path); !found.ok())
        return found;
    return sdbus::FailureOf(
        bus.Call(guarded, { serviceName, path, sessionInterface }, method, ""), action, serviceLabel, bus);
}

} // namespace

Logind::Logind(std::chrono::milliseconds timeout, std::chrono::milliseconds authorizationTimeout)
    : timeout_(timeout)
    , authorizationTimeout_(authorizationTimeout)
{
}

Outcome Logind::Request(PowerRequest request, bool force) const
{
    auto bus = sdbus::Bus::Open(sdbus::BusKind::System, timeout_);
    const auto names = namesOf(request);
    // Polkit may ask for a password through the desktop's agent: the plain calls say so in their
    // argument, the *WithFlags calls in the message header.
    constexpr int interactive = 1;
    const sdbus::CallOptions guarded { .interactiveFor = authorizationTimeout_ };

    if (!force) {
        // Checked here because older logind lets privileged callers through block inhibitors.
        std::optional<Blocker> blocker;
        if (auto checked = findBlocker(bus, names, blocker); !checked.ok())
            return checked;
        if (blocker)
            return Outcome::Failure(syserr::AccessDenied,
                std::string("vespern: cannot ") + names.action + ": \"" + blocker->who + "\" is blocking it ("
                    + blocker->why + ")",
                "\"" + blocker->who + "\" is blocking it (" + blocker->why + ")");
        return sdbus::FailureOf(
            bus.Call(guarded, manager, names.method, "b", interactive), names.action, serviceLabel, bus);
    }

    auto reply = bus.Call(guarded, manager, names.withFlags, "t", skipInhibitors);
    // logind before 248 has no *WithFlags calls, and older ones reject this flag: the plain call is
    // the most those offer.
    if (reply.failure() == sdbus::Failure::UnknownMember || reply.hasErrorName(SD_BUS_ERROR_INVALID_ARGS))
        reply = bus.Call(guarded, manager, names.method, "b", interactive);
    return sdbus::FailureOf(reply, names.action, serviceLabel, bus);
}

Outcome Logind::TerminateOwnSession() const
{
    return callOnOwnSession(timeout_, { .interactiveFor = authorizationTimeout_ }, "Terminate", "log off");
}

Outcome Logind::LockOwnSession() const
{
    return callOnOwnSession(timeout_, { .interactiveFor = authorizationTimeout_ }, "Lock", "lock the session");
}

} // namespace vespern
