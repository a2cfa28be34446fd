#include "RemoteAction.h"

#include "VespernError.h"
#include "platform/Win32Constants.h"

namespace vespern {

namespace {

constexpr std::int32_t win32True = -1; // all bits set
constexpr std::int32_t win32False = 0;

std::int32_t win32Bool(bool value)
{
    return value ? win32True : win32False;
}

} // namespace

RemoteAction::RemoteAction(PowerPlatform& platform, LocalActions& localActions, RemoteActionInputs inputs)
    : platform_(platform)
    , localActions_(localActions)
    , inputs_(inputs)
{
}

void RemoteAction::RunRemoteAction(RemoteActionKind kind)
{
    if (inputs_.emptyRecycleBin)
        localActions_.EmptyRecycleBin();
    // The token of this action is closed whichever way the action ends.
    struct TokenCloser {
        RemoteAction& action;
        ~TokenCloser() { action.closeToken(); }
    } closer { *this };

    EnableRemotePrivilege();
    const bool shutdownStarted = platform_.InitiateSystemShutdownA(
        inputs_.targetName, Message, 0, win32Bool(inputs_.forced), win32Bool(kind == RemoteActionKind::Reboot));
    DisableRemotePrivilege();
    if (!shutdownStarted)
        throw VespernError("InitiateSystemShutdown failed.");
}

void RemoteAction::EnableRemotePrivilege()
{
    if (!platform_.OpenProcessToken(w32::TokenAdjustPrivileges | w32::TokenQuery, token_))
        throw VespernError("OpenProcessToken failed.");
    const std::string& target = inputs_.targetName;
    const bool local = platform_.CompareStringA(w32::LocaleUserDefault, w32::NormIgnoreCase, target,
                           static_cast<std::int32_t>(target.size()), "", 0)
        == w32::CstrEqual;
    const std::string privilege = local ? "SeShutdownPrivilege" : "SeRemoteShutdownPrivilege";
    Luid luid;
    if (!platform_.LookupPrivilegeValueA(target, privilege, luid))
        throw VespernError("You do not have Remote Shutdown Privilege on this\r"
                           "computer, or computer is not a Windows NT computer,\r"
                           "or computer cannot be found on the network.");
    privileges_ = TokenPrivileges { 1, luid, w32::SePrivilegeEnabled };
    platform_.AdjustTokenPrivileges(token_, false, privileges_, 0, returnLength_);
    if (platform_.GetLastError() != w32::ErrorSuccess)
        throw VespernError("AdjustTokenPrivileges enable failed.");
}

void RemoteAction::DisableRemotePrivilege()
{
    privileges_.Attributes = 0;
    platform_.AdjustTokenPrivileges(token_, false, privileges_, 0, returnLength_);
    if (platform_.GetLastError() != w32::ErrorSuccess)
        throw VespernError("AdjustTokenPrivileges disable failed.");
}

void RemoteAction::closeToken()
{
    if (token_ != 0)
        platform_.CloseHandle(token_);
    token_ = 0;
}

} // namespace vespern
