#pragma once

#include "WindowsApi.h"
#include "core/WindowSystem.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace vespern::ui {

class TForm1;
class TForm2;
class TForm4;
class TForm5;

// The native window system: the program's windows, its timers on one hidden window, and the
// message loop that gives every window the dialog keys (Tab, Shift+Tab, Escape, Enter).
class Win32WindowSystem final : public WindowSystem {
public:
    Win32WindowSystem();
    ~Win32WindowSystem() override;
    Win32WindowSystem(const Win32WindowSystem&) = delete;
    Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

    std::unique_ptr<ViewTimer> CreateTimer(const std::string& name, std::function<void()> tick) override;
    void EndMessageLoop() override;
    void CreateForm1(const Forms& forms, UiEvents& events) override;
    void CreateForm2(const Forms& forms, UiEvents& events) override;
    void CreateForm4(const Forms& forms, UiEvents& events) override;
    void CreateForm5(const Forms& forms, UiEvents& events) override;
    void ShowMainForm() override;
    int RunMessageLoop() override;
    void DestroyForms() override;

    // The main window, 0 while it does not exist.
    HWND MainWindow() const;

    // The window whose WM_TIMER messages carry the ticks, by timer id.
    class TimerWindow;

private:
    std::unique_ptr<TimerWindow> timers_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm4> form4_;
    std::unique_ptr<TForm5> form5_;
    bool ending_ = false;
};

} // namespace vespern::ui
