#pragma once

#include "ActionKind.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vespern {

// The desktop action file names in the order the command line compares them.
inline constexpr std::array<ActionKind, ActionKindCount> ActionFileOrder {
    ActionKind::Shutdown,
    ActionKind::Reboot,
    ActionKind::LogOff,
    ActionKind::StandBy,
    ActionKind::Hibernate,
    ActionKind::HangUp,
    ActionKind::ShowScreensaver,
    ActionKind::TurnOffMonitor,
    ActionKind::LockSwitchUser,
};

// The file-name part of a path: the text after the last "\" or ":" (on Linux also "/").
std::string ExtractActionFileName(std::string_view argument);

// The action an argument's file name names: exact, case-sensitive comparison with each name.
std::optional<ActionKind> ActionForArgument(std::string_view argument);

} // namespace vespern
