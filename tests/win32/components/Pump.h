#pragma once

#include "ui/win32/WindowsApi.h"

#include <functional>

namespace vespern::test {

// Runs the message loop until pred() holds or timeoutMs passed; returns pred().
inline bool PumpUntil(const std::function<bool()>& pred, int timeoutMs)
{
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (!pred()) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    return true;
}

} // namespace vespern::test
