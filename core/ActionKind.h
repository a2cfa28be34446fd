#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace vespern {

// The nine local actions, numbered in the order of the main window's action list.
enum class ActionKind {
    Shutdown = 0,
    Reboot = 1,
    LogOff = 2,
    StandBy = 3,
    Hibernate = 4,
    LockSwitchUser = 5,
    HangUp = 6,
    TurnOffMonitor = 7,
    ShowScreensaver = 8,
};

inline constexpr int ActionKindCount = 9;

struct ActionInfo {
    ActionKind kind;
    std::string_view listCaption; // the action list
    std::string_view menuItem; // the tray menu item that carries the handler
    std::string_view menuCaption;
    std::string_view handler;
    std::string_view actionFile; // the desktop action file
};

inline constexpr std::array<ActionInfo, ActionKindCount> ActionTable { {
    { ActionKind::Shutdown, "Shutdown", "Shutdown1", "Shutdown", "Shutdown1Click", "SHUTDOWN.link" },
    { ActionKind::Reboot, "Reboot", "Reboot1", "Reboot", "Reboot1Click", "REBOOT.link" },
    { ActionKind::LogOff, "Log Off", "LogOff1", "Log Off", "LogOff1Click", "LOG OFF.link" },
    { ActionKind::StandBy, "Sleep/Stand by", "StandBy1", "Stand By", "StandBy1Click", "STANDBY.link" },
    { ActionKind::Hibernate, "Hibernate", "Hibernate1", "Hibernate", "Hibernate1Click", "HIBERNATE.link" },
    { ActionKind::LockSwitchUser, "Lock/Switch User", "LockSwitchUser1", "Lock/Switch User", "LockSwitchUser1Click",
        "SWITCH USER.link" },
    { ActionKind::HangUp, "Hang Up Internet", "HangUp1", "Hang Up Internet", "HangUp1Click", "HANG UP.link" },
    { ActionKind::TurnOffMonitor, "Turn Off Monitor", "urnMonitorOff1", "Turn Off Monitor", "urnMonitorOff1Click",
        "TURN OFF MONITOR.link" },
    { ActionKind::ShowScreensaver, "Show Screensaver", "ShowScreensaver1", "Show Screensaver", "ShowScreensaver1Click",
        "SHOW SCREENSAVER.link" },
} };

constexpr const ActionInfo& Info(ActionKind kind)
{
    return ActionTable[static_cast<std::size_t>(kind)];
}

// The action of an action-list index; none outside 0 to 8.
constexpr std::optional<ActionKind> ActionFromIndex(int index)
{
    if (index < 0 || index >= ActionKindCount)
        return std::nullopt;
    return static_cast<ActionKind>(index);
}

} // namespace vespern
