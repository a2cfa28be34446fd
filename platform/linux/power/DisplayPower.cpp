#include "DisplayPower.h"

#include "X11Dpms.h"
#include "platform/linux/dbus/SdBus.h"

#include <cstdlib>
#include <string>
#include <string_view>

namespace vespern {

namespace {

constexpr char cannot[] = "vespern: the display cannot be switched off here: ";

Outcome notHere(std::uint32_t code, const std::string& why)
{
    return Outcome::Failure(code, cannot + why, why);
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool waylandSession()
{
    return !environment("WAYLAND_DISPLAY").empty() || environment("XDG_SESSION_TYPE") == "wayland";
}

// Mutter's PowerSaveMode 3 is "off"; Plasma's power manager registers a "Turn Off Screen" shortcut.
Outcome turnOffOverDesktop(std::chrono::milliseconds timeout, const std::string& before)
{
    auto bus = sdbus::Bus::Open(sdbus::BusKind::Session, timeout);
    const sdbus::Object mutter { "org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig",
        "org.freedesktop.DBus.Properties" };
    auto reply = bus.Call(mutter, "Set", "ssv", "org.gnome.Mutter.DisplayConfig", "PowerSaveMode", "i", 3);
    if (reply.failure() == sdbus::Failure::NoService) {
        const sdbus::Object plasma { "org.kde.kglobalaccel", "/component/org_kde_powerdevil",
            "org.kde.kglobalaccel.Component" };
        reply = bus.Call(plasma, "invokeShortcut", "s", "Turn Off Screen");
        if (reply.ok())
            return Outcome::Success();
        if (reply.failure() == sdbus::Failure::NoService || reply.failure() == sdbus::Failure::NoBus)
            return notHere(syserr::NotSupported, before + "no desktop service offers it on " + bus.label());
        return sdbus::FailureOf(reply, "switch the display off", "the Plasma shortcut service", bus);
    }
    if (reply.failure() == sdbus::Failure::NoBus)
        return notHere(syserr::NotSupported, before + reply.errorText());
    return sdbus::FailureOf(reply, "switch the display off", "Mutter (org.gnome.Mutter.DisplayConfig)", bus);
}

} // namespace

DisplayPower::DisplayPower(std::chrono::milliseconds timeout)
    : timeout_(timeout)
{
}

Outcome DisplayPower::TurnOff() const
{
    if (waylandSession())
        return turnOffOverDesktop(timeout_, "this Wayland session has no X11 power control and ");
    const std::string displayName = environment("DISPLAY");
    if (displayName.empty())
        return notHere(syserr::NotSupported, "there is no X11 or Wayland display");
    std::string problem;
    switch (ForceDisplayOff(displayName, problem)) {
    case DpmsResult::Done:
        return Outcome::Success();
    case DpmsResult::NoDpms:
        return turnOffOverDesktop(timeout_, problem + " and ");
    case DpmsResult::Failed:
        break;
    }
    return notHere(syserr::GenFailure, problem);
}

} // namespace vespern
