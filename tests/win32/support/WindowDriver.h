#pragma once

// Drives native windows through their controls, as the user's input would reach them, and reads
// them back: for the in-process tests of the views and for the probe that reads the program's
// main window from another process (the texts are asked for with messages, which cross it).

#include "ui/win32/WindowsApi.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace vespern::test {

namespace detail {

inline std::string utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size
        = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(
        CP_UTF8, 0, text.data(), static_cast<int>(text.size()), converted.data(), size, nullptr, nullptr);
    return converted;
}

inline std::wstring wide(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring converted(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), converted.data(), size);
    return converted;
}

} // namespace detail

// The control of that id anywhere inside parent, the first in Z order, depth first.
inline HWND Control(HWND parent, int id)
{
    for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(child) == id)
            return child;
        if (const HWND inside = Control(child, id))
            return inside;
    }
    return nullptr;
}

// A click, sent: the view's WM_COMMAND has run when it returns.
inline void Click(HWND button)
{
    ::SendMessageW(button, BM_CLICK, 0, 0);
}

// A pick in a drop-down list, reported to its parent as the list reports the user's.
inline void Select(HWND combo, int index)
{
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
        reinterpret_cast<LPARAM>(combo));
}

// A text typed as a whole (UTF-8); an edit reports it with EN_CHANGE.
inline void SetText(HWND edit, const std::string& text)
{
    ::SetWindowTextW(edit, detail::wide(text).c_str());
}

// The window text as UTF-8, asked with WM_GETTEXT: GetWindowText reads only the caption of
// another process's controls.
inline std::string Text(HWND window)
{
    std::wstring text(static_cast<std::size_t>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return detail::utf8(text);
}

// A drop-down list's items as UTF-8.
inline std::vector<std::string> Items(HWND combo)
{
    std::vector<std::string> items;
    const auto count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto index = static_cast<WPARAM>(i);
        std::wstring item(static_cast<std::size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
        item.resize(static_cast<std::size_t>(
            ::SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()))));
        items.push_back(detail::utf8(item));
    }
    return items;
}

inline bool Visible(HWND window)
{
    return ::IsWindowVisible(window) != FALSE;
}

inline bool Enabled(HWND window)
{
    return ::IsWindowEnabled(window) != FALSE;
}

// Runs the messages waiting until pred() holds or timeoutMs passed, looking at least every 10 ms
// (pred may wait on something no message announces); returns pred(). The messages already
// waiting run first, even when pred() holds at once.
inline bool PumpUntil(const std::function<bool()>& pred, int timeoutMs)
{
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        MSG message {};
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        if (pred())
            return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end)
            return false;
        ::MsgWaitForMultipleObjects(
            0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 10)), QS_ALLINPUT);
    }
}

} // namespace vespern::test
