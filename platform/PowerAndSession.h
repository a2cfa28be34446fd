#pragma once

// The session and power requests (shut down, restart, log off, suspend, lock, the display and
// the screensaver through the system menu's commands), the remote shutdown, and the privilege
// steps before them. The token calls always use GetCurrentProcess() and a NULL PreviousState.

#include "platform/Win32Types.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vespern {

class PowerAndSession {
public:
    virtual ~PowerAndSession() = default;

    virtual bool ExitWindowsEx(std::uint32_t uFlags, std::uint32_t dwReserved) = 0;
    virtual bool SetSystemPowerState(bool fSuspend, bool fForce) = 0;
    virtual bool LockWorkStation() = 0;
    virtual std::intptr_t SendMessageA(Window hWnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual std::intptr_t DefWindowProcA(Window hWnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)
        = 0;
    // The two BOOL arguments are passed as 0 for FALSE and -1 (all bits set) for TRUE.
    virtual bool InitiateSystemShutdownA(const std::string& machineName, const std::string& message,
        std::uint32_t timeout, std::int32_t forceAppsClosed, std::int32_t rebootAfterShutdown)
        = 0;
    virtual bool OpenProcessToken(std::uint32_t desiredAccess, Handle& tokenHandle) = 0;
    virtual bool LookupPrivilegeValueA(
        const std::optional<std::string>& systemName, const std::string& name, Luid& luid)
        = 0;
    virtual bool AdjustTokenPrivileges(Handle tokenHandle, bool disableAllPrivileges, const TokenPrivileges& newState,
        std::uint32_t bufferLength, std::uint32_t& returnLength)
        = 0;
};

} // namespace vespern
