#pragma once

// The main window in the native window system, as far as the start-up sequence needs it: the
// hidden application window that owns it, FormCreate when made, FormShow when first shown, and
// the end of the program when it closes. Its controls come with the full native windows.

#include "WindowsApi.h"

namespace vespern {
class TApplication;
class TForm1Model;
} // namespace vespern

namespace vespern::ui {

class TForm1 {
public:
    TForm1(TForm1Model& model, TApplication& application, HINSTANCE instance);
    ~TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    HWND Handle() const { return window_; }
    // The hidden top-level window of the program, which owns the main window.
    HWND ApplicationHandle() const { return applicationWindow_; }

    void Show();
    // Runs the message loop until the application terminates; the exit status.
    int RunMessageLoop();

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    TForm1Model& model_;
    TApplication& application_;
    HWND applicationWindow_ = nullptr;
    HWND window_ = nullptr; // set while the window is being created
};

} // namespace vespern::ui
