#pragma once

#include <optional>

namespace vespern {

// The trigger events, numbered in the order of both event lists.
enum class EventKind {
    Countdown = 0,
    OnTime = 1,
    OnProcessStops = 2,
    LowCpuUsage = 3,
    BatteryLow = 4,
};

inline constexpr int EventKindCount = 5;

// The event of an event-list index; none for -1 (nothing selected) or any other index.
constexpr std::optional<EventKind> EventFromIndex(int index)
{
    if (index < 0 || index >= EventKindCount)
        return std::nullopt;
    return static_cast<EventKind>(index);
}

} // namespace vespern
