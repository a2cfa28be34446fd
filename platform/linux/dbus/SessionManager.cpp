#include "SessionManager.h"

#include "CurrentDesktop.h"
#include "SdBus.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vespern {

namespace {

const char* actionOf(SessionEnd what)
{
    switch (what) {
    case SessionEnd::LogOff:
        return "log off";
    case SessionEnd::PowerOff:
        return "power off";
    case SessionEnd::Reboot:
        break;
    }
    return "restart";
}

// gnome-session, and the managers that serve its interface: cinnamon-session, mate-session,
// budgie-session. Logout mode 1 skips the confirmation; inhibitors (programs with unsaved
// work) still hold it up. RequestShutdown and RequestReboot go ahead without a dialog;
// gnome-session lacks them, and its Shutdown and Reboot show its end-session dialog, which goes
// ahead by itself at the end of its countdown.
Outcome endGnome(sdbus::Bus& bus, SessionEnd what)
{
    constexpr std::string_view label = "the session manager (org.gnome.SessionManager)";
    const sdbus::Object manager { "org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager" };
    constexpr std::uint32_t noConfirmation = 1;
    if (what == SessionEnd::LogOff)
        return sdbus::FailureOf(bus.Call(manager, "Logout", "u", noConfirmation), actionOf(what), label, bus);
    const bool powerOff = what == SessionEnd::PowerOff;
    auto reply = bus.Call(manager, powerOff ? "RequestShutdown" : "RequestReboot", "");
    if (reply.failure() == sdbus::Failure::UnknownMember)
        reply = bus.Call(manager, powerOff ? "Shutdown" : "Reboot", "");
    return sdbus::FailureOf(reply, actionOf(what), label, bus);
}

// Plasma 5 and 6: org.kde.Shutdown, which the bus starts on demand, runs the logout
// after any confirmation (none is shown when it is called directly). Older Plasma: ksmserver's
// logout(confirm, type, mode) with confirm 0 (ShutdownConfirmNo), type 0, 1 or 2 (log out,
// reboot, halt) and mode -1 (the desktop's default).
Outcome endPlasma(sdbus::Bus& bus, SessionEnd what)
{
    const sdbus::Object shutdown { "org.kde.Shutdown", "/Shutdown", "org.kde.Shutdown" };
    const char* method = what == SessionEnd::LogOff ? "logout"
        : what == SessionEnd::PowerOff              ? "logoutAndShutdown"
                                                    : "logoutAndReboot";
    const auto reply = bus.Call({ .startService = true }, shutdown, method, "");
    const bool absent
        = reply.failure() == sdbus::Failure::NoService || reply.failure() == sdbus::Failure::UnknownMember;
    if (!absent || !bus.HasOwner("org.kde.ksmserver"))
        return sdbus::FailureOf(reply, actionOf(what), "Plasma's session manager (org.kde.Shutdown)", bus);

    const sdbus::Object ksmserver { "org.kde.ksmserver", "/KSMServer", "org.kde.KSMServerInterface" };
    const int type = what == SessionEnd::LogOff ? 0 : what == SessionEnd::Reboot ? 1 : 2;
    return sdbus::FailureOf(bus.Call(ksmserver, "logout", "iii", 0, type, -1), actionOf(what),
        "Plasma's session manager (org.kde.ksmserver)", bus);
}

// xfce4-session: Logout(show_dialog, allow_save), Shutdown(allow_save), Restart(allow_save).
// allow_save true is the desktop's usual end: the session is saved and the programs asked to
// save theirs, rather than quit at once.
Outcome endXfce(sdbus::Bus& bus, SessionEnd what)
{
    constexpr std::string_view label = "the Xfce session manager (org.xfce.SessionManager)";
    const sdbus::Object manager { "org.xfce.SessionManager", "/org/xfce/SessionManager", "org.xfce.Session.Manager" };
    constexpr int allowSave = 1;
    if (what == SessionEnd::LogOff)
        return sdbus::FailureOf(bus.Call(manager, "Logout", "bb", 0, allowSave), actionOf(what), label, bus);
    return sdbus::FailureOf(bus.Call(manager, what == SessionEnd::PowerOff ? "Shutdown" : "Restart", "b", allowSave),
        actionOf(what), label, bus);
}

// lxqt-session ends its programs and then asks the system; it never answers these calls.
Outcome endLxqt(sdbus::Bus& bus, SessionEnd what)
{
    const sdbus::Object session { "org.lxqt.session", "/LXQtSession", "org.lxqt.session" };
    const char* method = what == SessionEnd::LogOff ? "logout" : what == SessionEnd::PowerOff ? "powerOff" : "reboot";
    return sdbus::FailureOf(bus.Call({ .expectReply = false }, session, method, ""), actionOf(what),
        "the LXQt session manager (org.lxqt.session)", bus);
}

struct Desktop {
    std::vector<std::string_view> currentDesktopNames;
    std::vector<const char*> busNames; // any of them owned: this desktop runs
    Outcome (*end)(sdbus::Bus&, SessionEnd);
};

const Desktop desktops[] = {
    { { "GNOME", "Cinnamon", "X-Cinnamon", "MATE", "Budgie", "Unity", "Pantheon" }, { "org.gnome.SessionManager" },
        endGnome },
    { { "KDE" }, { "org.kde.Shutdown", "org.kde.ksmserver" }, endPlasma },
    { { "XFCE" }, { "org.xfce.SessionManager" }, endXfce },
    { { "LXQt" }, { "org.lxqt.session" }, endLxqt },
};

bool named(const Desktop& desktop)
{
    return std::any_of(desktop.currentDesktopNames.begin(), desktop.currentDesktopNames.end(), CurrentDesktopIs);
}

} // namespace

SessionManager::SessionManager(std::chrono::milliseconds timeout)
    : timeout_(timeout)
{
}

std::optional<Outcome> SessionManager::End(SessionEnd what) const
{
    std::vector<const Desktop*> order;
    for (const auto& desktop : desktops)
        order.push_back(&desktop);
    std::stable_partition(order.begin(), order.end(), [](const Desktop* desktop) { return named(*desktop); });

    auto bus = sdbus::Bus::Open(sdbus::BusKind::Session, timeout_);
    for (const auto* desktop : order)
        for (const char* name : desktop->busNames)
            if (bus.HasOwner(name))
                return desktop->end(bus, what);
    return std::nullopt;
}

} // namespace vespern
