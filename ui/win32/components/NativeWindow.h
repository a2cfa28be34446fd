#pragma once

// The base of the native windows: one top-level window of a class of our own, whose messages
// reach a member function, and the child controls in the program's window font.

#include "../WindowsApi.h"

namespace vespern::ui {

class NativeWindow {
public:
    HWND Handle() const { return window_; }
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;

protected:
    NativeWindow() = default;
    // Destroys the window.
    virtual ~NativeWindow();
    // Registers the class once per process (button-face background, arrow cursor, the program's
    // icon) and creates the window, hidden, with a client area of clientWidth x clientHeight.
    void CreateNative(const char* className, const char* title, DWORD style, DWORD exStyle, int clientWidth,
        int clientHeight, HWND owner);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
};

// A child control with the window font, at a rectangle in the parent's client pixels.
HWND CreateControl(
    HWND parent, const char* className, const char* text, DWORD style, RECT bounds, int id, DWORD exStyle = 0);
// The program's window font: Tahoma, 8 points (11 pixels high), made once.
HFONT WindowFont();

} // namespace vespern::ui
