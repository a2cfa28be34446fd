#include "DialogSupport.h"

#include <string>
#include <vector>

namespace vespern::ui {

void ShowCentredOn(HWND window, HWND owner)
{
    RECT area {};
    if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &area);
    else
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT frame {};
    ::GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = area.left + (area.right - area.left - width) / 2;
    const int top = area.top + (area.bottom - area.top - height) / 2;
    ::SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(window, SW_SHOW);
    BringToFront(window);
}

void BringToFront(HWND window)
{
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(window);
}

bool FollowVisibility(HWND window, HWND owner, bool visible, bool frontRequested)
{
    const bool shown = ::IsWindowVisible(window) != FALSE;
    if (visible && !shown) {
        ShowCentredOn(window, owner);
        return true;
    }
    if (!visible && shown) {
        const bool active = ::GetActiveWindow() == window;
        ::ShowWindow(window, SW_HIDE);
        // The keyboard goes back to the window the dialog was opened over.
        if (active && owner != nullptr && ::IsWindowVisible(owner) != FALSE)
            ::SetActiveWindow(owner);
    } else if (visible && frontRequested)
        BringToFront(window);
    return false;
}

bool PressFocusedButton(HWND window)
{
    const HWND focus = ::GetFocus();
    if (focus == nullptr || ::GetParent(focus) != window)
        return false;
    char className[16] {};
    ::GetClassNameA(focus, className, sizeof className);
    const LONG_PTR kind = ::GetWindowLongPtrA(focus, GWL_STYLE) & BS_TYPEMASK;
    if (lstrcmpiA(className, "Button") != 0 || (kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON))
        return false;
    ::SendMessageA(focus, BM_CLICK, 0, 0);
    return true;
}

void ShowControl(HWND control, bool visible)
{
    const bool shown = (::GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != visible)
        ::ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
}

void EnableControl(HWND control, bool enabled)
{
    if ((::IsWindowEnabled(control) != FALSE) != enabled)
        ::EnableWindow(control, enabled ? TRUE : FALSE);
}

void SetControlText(HWND control, const std::string& text)
{
    std::vector<char> shown(static_cast<std::size_t>(::GetWindowTextLengthA(control)) + 1);
    ::GetWindowTextA(control, shown.data(), static_cast<int>(shown.size()));
    if (text != shown.data())
        ::SetWindowTextA(control, text.c_str());
}

} // namespace vespern::ui
