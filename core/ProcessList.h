#pragma once

#include "Controls.h"
#include "platform/PowerPlatform.h"

#include <optional>
#include <string>
#include <string_view>

namespace vespern {

// The system's list of running processes, walked through the toolhelp snapshot.
class ProcessList {
public:
    explicit ProcessList(PowerPlatform& platform);

    // Appends the file name of every running process to the list's items, in the system's order.
    void ListProcessNames(TComboBox& list);
    // Whether a running process has exactly this file name (same bytes, letter case counts).
    bool IsProcessRunning(const std::string& name);

private:
    bool toolhelpAvailable();
    // Calls onName for each entry's file name until it returns false; no entry when the snapshot fails.
    template <typename OnName> void walk(OnName onName);

    PowerPlatform& platform_;
    std::optional<bool> toolhelp_;
};

} // namespace vespern
