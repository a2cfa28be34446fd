#pragma once

// The main window in the native window system, as far as the start-up sequence needs it: the
// hidden application window that owns it, FormShow when first shown, and
// the end of the program when it closes. Its controls come with the full native windows.

#include "WindowsApi.h"
#include "core/UiEvents.h"

namespace vespern {
class TForm1Model;
} // namespace vespern

namespace vespern::ui {

class TForm1 {
public:
    TForm1(TForm1Model& model, UiEvents& events, HINSTANCE instance);
    ~TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    HWND Handle() const { return window_; }
    // The hidden top-level window of the program, which owns the main window.
    HWND ApplicationHandle() const { return applicationWindow_; }

    void Show();

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    TForm1Model& model_;
    UiEvents& events_;
    HWND applicationWindow_ = nullptr;
    HWND window_ = nullptr; // set while the window is being created
};

} // namespace vespern::ui
