#pragma once

#include "LocalActions.h"
#include "platform/PowerPlatform.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vespern {

// The network action list, by index.
enum class RemoteActionKind { Shutdown = 0, Reboot = 1 };

constexpr std::optional<RemoteActionKind> RemoteActionFromIndex(int index)
{
    if (index == 0)
        return RemoteActionKind::Shutdown;
    if (index == 1)
        return RemoteActionKind::Reboot;
    return std::nullopt;
}

// What a remote action reads at the moment it runs.
struct RemoteActionInputs {
    const std::string& targetName; // the client computer name, passed unchanged
    const bool& forced; // the main window's "Force Action"
    const bool& emptyRecycleBin; // the option "Empty Recycle bin on action"
};

// Shuts down or restarts the client computer, with the shutdown privilege enabled around the call.
// Every failure is a VespernError carrying the message the user sees.
class RemoteAction {
public:
    RemoteAction(PowerPlatform& platform, LocalActions& localActions, RemoteActionInputs inputs);

    void RunRemoteAction(RemoteActionKind kind);
    void EnableRemotePrivilege();
    void DisableRemotePrivilege();

    static constexpr const char* Message = "Network computer action activated";

private:
    void closeToken();

    PowerPlatform& platform_;
    LocalActions& localActions_;
    RemoteActionInputs inputs_;
    // Lives from the enable step to the disable step of one action.
    Handle token_ = 0;
    TokenPrivileges privileges_;
    std::uint32_t returnLength_ = 0;
};

} // namespace vespern
