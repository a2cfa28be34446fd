#include "FrontEnd.h"

#include "Unit1.h"
#include "Win32Dialogs.h"
#include "core/TApplication.h"

#include <cstdlib>
#include <memory>
#include <optional>

namespace vespern::ui {

namespace {

constexpr char OneShotOnly[] = "This build of Vespern runs the desktop action files only, for example:\r\n"
                               "    vespern.exe \"SHUTDOWN.link\"\r\n\r\n"
                               "Its main window, the options and the tray icon are not in the Windows program yet.";
constexpr char TimerWindowClass[] = "TTimerWindow";

// A repeating timer on a message-only window of its own, so that its ticks arrive through the
// message loop like every other event, also while a modal box runs its own loop.
class Win32ViewTimer final : public ViewTimer {
public:
    explicit Win32ViewTimer(std::function<void()> tick)
        : tick_(std::move(tick))
    {
        const HINSTANCE instance = ::GetModuleHandleA(nullptr);
        WNDCLASSEXA windowClass {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = windowProcedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = TimerWindowClass;
        ::RegisterClassExA(&windowClass); // fails harmlessly once the class exists
        window_ = ::CreateWindowExA(0, TimerWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Win32ViewTimer() override
    {
        if (window_ != nullptr)
            ::DestroyWindow(window_); // also kills its timer
    }
    Win32ViewTimer(const Win32ViewTimer&) = delete;
    Win32ViewTimer& operator=(const Win32ViewTimer&) = delete;

    void Start(int intervalMilliseconds) override
    {
        ::SetTimer(window_, 1, static_cast<UINT>(intervalMilliseconds), nullptr);
    }
    void Stop() override { ::KillTimer(window_, 1); }

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* timer = reinterpret_cast<Win32ViewTimer*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_TIMER && timer != nullptr) {
            timer->tick_();
            return 0;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    std::function<void()> tick_;
    HWND window_ = nullptr;
};

class Win32FrontEnd final : public FrontEnd, public WindowSystem {
public:
    Dialogs& MessageBoxes() override { return dialogs_; }
    // The shell's own folder browser finds the network's computers on Windows.
    ComputerPicker Picker() override { return {}; }
    std::function<std::uintptr_t(Window)> WindowHandles() override
    {
        return [this](Window window) -> std::uintptr_t {
            if (!mainWindow_)
                return 0;
            const HWND handle = window == Window::Main ? mainWindow_->Handle() : mainWindow_->ApplicationHandle();
            return reinterpret_cast<std::uintptr_t>(handle);
        };
    }
    WindowSystem& Windows() override { return *this; }

    std::unique_ptr<ViewTimer> CreateTimer(const std::string&, std::function<void()> tick) override
    {
        return std::make_unique<Win32ViewTimer>(std::move(tick));
    }
    void EndMessageLoop() override { ::PostQuitMessage(EXIT_SUCCESS); }

    void CreateForm1(const Forms& forms, UiEvents& events) override
    {
        mainWindow_.emplace(forms.form1, events, ::GetModuleHandleA(nullptr));
    }
    void CreateForm2(const Forms&, UiEvents&) override { }
    void CreateForm4(const Forms&, UiEvents&) override { }
    void CreateForm5(const Forms&, UiEvents&) override { }
    void ShowMainForm() override { mainWindow_->Show(); }
    int RunMessageLoop() override
    {
        MSG message {};
        while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        return static_cast<int>(message.wParam);
    }
    void DestroyForms() override { mainWindow_.reset(); }

private:
    Win32Dialogs dialogs_;
    std::optional<TForm1> mainWindow_;
};

} // namespace

std::unique_ptr<FrontEnd> CreateFrontEnd(int, char**, bool oneShot)
{
    if (!oneShot) {
        ::MessageBoxA(nullptr, OneShotOnly, "Vespern", MB_OK | MB_ICONINFORMATION);
        return nullptr;
    }
    return std::make_unique<Win32FrontEnd>();
}

} // namespace vespern::ui
