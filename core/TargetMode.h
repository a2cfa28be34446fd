#pragma once

#include <optional>

namespace vespern {

// The computer the actions go to: the selected index of the main window's radio group
// "Select Computer". It also names which of the window's two control sets an event is armed with:
// the local set or the network set (the one whose names end in "x"). Not persisted.
enum class TargetMode {
    LocalComputer = 0,
    NetworkComputer = 1,
};

// The mode of a radio group index; none for any index but 0 and 1.
constexpr std::optional<TargetMode> TargetModeFromIndex(int index)
{
    if (index != 0 && index != 1)
        return std::nullopt;
    return static_cast<TargetMode>(index);
}

} // namespace vespern
