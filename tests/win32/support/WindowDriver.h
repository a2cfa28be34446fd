#pragma once

// Drives native windows of this process through their controls, as the user's input would reach
// them, for the in-process tests of the views.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef MessageBox

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace vespern::test {

namespace detail {
struct IdSearch {
    int id;
    HWND found;
};
inline BOOL CALLBACK matchId(HWND child, LPARAM data)
{
    auto* search = reinterpret_cast<IdSearch*>(data);
    if (::GetDlgCtrlID(child) != search->id)
        return TRUE;
    search->found = child;
    return FALSE;
}
} // namespace detail

// The control of that id, among all the window's descendants.
inline HWND Control(HWND parent, int id)
{
    detail::IdSearch search { id, nullptr };
    ::EnumChildWindows(parent, detail::matchId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// BM_CLICK, sent: the view's WM_COMMAND has run when it returns.
inline void Click(HWND button)
{
    ::SendMessageA(button, BM_CLICK, 0, 0);
}

// The window text, read with the W call, as UTF-8.
inline std::string Text(HWND window)
{
    std::vector<wchar_t> text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1);
    ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), -1, out.data(), size, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

inline bool Visible(HWND window)
{
    return ::IsWindowVisible(window) != FALSE;
}

inline bool Enabled(HWND window)
{
    return ::IsWindowEnabled(window) != FALSE;
}

// Runs the message loop until pred() holds or timeoutMs passed, waiting for messages between
// looks; returns pred().
inline bool PumpUntil(const std::function<bool()>& pred, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    MSG message {};
    while (!pred() && std::chrono::steady_clock::now() < end) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    return pred();
}

} // namespace vespern::test
