#pragma once

#include "ActionKind.h"
#include "platform/PowerPlatform.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vespern {

// One desktop action file: its check box on the "Shortcut" tab, its name below the desktop
// folder, and the description its link carries.
struct DesktopActionFile {
    std::string_view control;
    std::string_view caption;
    std::string_view fileName; // appended to the desktop folder
    std::string_view description;
    ActionKind kind;
};

inline constexpr std::array<DesktopActionFile, ActionKindCount> DesktopActionFileTable { {
    { "shutdown_scut", "Shutdown", "\\SHUTDOWN.link", "shutdown", ActionKind::Shutdown },
    { "reboot_scut", "Reboot", "\\REBOOT.link", "reboot", ActionKind::Reboot },
    { "logoff_scut", "Log off", "\\LOG OFF.link", "log off", ActionKind::LogOff },
    { "standby_scut", "Standby", "\\STANDBY.link", "standby", ActionKind::StandBy },
    { "Hibernate_scut", "Hibernate", "\\HIBERNATE.link", "Hibernate", ActionKind::Hibernate },
    { "hangup_scut", "Hang up", "\\HANG UP.link", "hang up", ActionKind::HangUp },
    { "turnoffmon_csut", "Turn off monitor", "\\TURN OFF MONITOR.link", "Turn off monitor",
        ActionKind::TurnOffMonitor },
    { "screensaver_scut", "show Screensaver", "\\SHOW SCREENSAVER.link", "Show screensaver",
        ActionKind::ShowScreensaver },
    { "lock_scut", "Lock/switch user", "\\SWITCH USER.link", "Lock\\switch user", ActionKind::LockSwitchUser },
} };

inline constexpr char ShellFoldersKeyPath[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr char ActionFileIconName[] = "Vespern.ico";

// Writes or deletes the file of one row, as its check box was just ticked or unticked.
void UpdateDesktopActionFile(PowerPlatform& platform, const DesktopActionFile& row, bool ticked);

// Writes one shell link file through the shell link object.
void CreateShellLink(PowerPlatform& platform, const std::string& workingDirectory, const std::string& target,
    const std::string& arguments, const std::u16string& linkFile, const std::string& description,
    const std::string& iconPath, std::int32_t iconIndex);

} // namespace vespern
