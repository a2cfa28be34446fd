#pragma once

// What the options and confirmation dialogs share in the native window system.

#include "WindowsApi.h"

#include <string>

namespace vespern::ui {

// A rectangle from its left, top, width and height.
constexpr RECT Bounds(int left, int top, int width, int height)
{
    return { left, top, left + width, top + height };
}

// Places the window centred on its owner (on the work area while the owner is hidden, as the
// main window is in the tray), shows it and brings it to the front.
void ShowCentredOn(HWND window, HWND owner);

// Brings a shown window to the front.
void BringToFront(HWND window);

// Shows (centred on its owner), hides or brings the dialog to the front as its model says;
// whether it was shown just now.
bool FollowVisibility(HWND window, HWND owner, bool visible, bool frontRequested);

// Enter: the dialog keys send IDOK when the focus is not on a default button; the focused push
// button of the window is pressed then, and nothing else. Whether one was.
bool PressFocusedButton(HWND window);

// The control's state, shown only where it differs.
void ShowControl(HWND control, bool visible);
void EnableControl(HWND control, bool enabled);
void SetControlText(HWND control, const std::string& text);

} // namespace vespern::ui
