#pragma once
#include "../WindowsApi.h"

namespace vespern::ui {

// RAII owner of one window; destroys it.
class WindowHandle {
public:
    WindowHandle() = default;
    explicit WindowHandle(HWND window)
        : window_(window)
    {
    }
    ~WindowHandle()
    {
        if (window_ != nullptr)
            ::DestroyWindow(window_);
    }
    WindowHandle(const WindowHandle&) = delete;
    WindowHandle& operator=(const WindowHandle&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

// A window of a class of our own whose messages reach a member function.
class NativeWindow {
public:
    HWND Handle() const { return window_; }
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;

protected:
    NativeWindow() = default;
    virtual ~NativeWindow(); // destroys the window
    // Registers the class once per process (button-face background, arrow cursor, the program
    // icon) and creates the window with a client area of clientWidth x clientHeight.
    void CreateNative(const char* className, const char* title, DWORD style, DWORD exStyle, int clientWidth,
        int clientHeight, HWND owner);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
};

// Registers, once per process, a class of child controls whose procedure paints their
// background itself.
void RegisterControlClass(const char* className, WNDPROC procedure);
// A child control with the window font, at a rectangle in the parent's client pixels.
HWND CreateControl(
    HWND parent, const char* className, const char* text, DWORD style, RECT bounds, int id, DWORD exStyle = 0);
// The width a check box needs for its box and whole caption in its font.
int CheckBoxWidthNeeded(HWND box);
// Widens a check box whose caption it cuts (this system's face is wider than the one the window
// was laid out for) to the right, up to the parent's client x of rightLimit.
void FitCheckBoxToCaption(HWND box, int rightLimit);
// The program's window font, Tahoma 8 points.
HFONT WindowFont();

} // namespace vespern::ui
