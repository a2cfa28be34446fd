#include "Win32WindowSystem.h"

#include "Unit1.h"
#include "Unit2.h"
#include "Unit4.h"
#include "Unit5.h"

#include <commctrl.h>

#include <cstdlib>
#include <utility>

namespace vespern::ui {

namespace {

constexpr char TimerWindowClass[] = "VespernTimers";

// Visual styles come with the manifest's common controls; their classes are registered once.
void initialiseCommonControls()
{
    INITCOMMONCONTROLSEX controls {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES;
    ::InitCommonControlsEx(&controls);
}

} // namespace

// A message-only window that owns the program's timers: SetTimer with the timer's id, the tick
// run from its WM_TIMER, and KillTimer when the timer goes.
class Win32WindowSystem::TimerWindow {
public:
    TimerWindow()
    {
        WNDCLASSEXA timerClass {};
        timerClass.cbSize = sizeof timerClass;
        timerClass.lpfnWndProc = procedure;
        timerClass.hInstance = ::GetModuleHandleA(nullptr);
        timerClass.lpszClassName = TimerWindowClass;
        ::RegisterClassExA(&timerClass);
        window_ = ::CreateWindowExA(
            0, TimerWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TimerWindow() { ::DestroyWindow(window_); }
    TimerWindow(const TimerWindow&) = delete;
    TimerWindow& operator=(const TimerWindow&) = delete;

    HWND window() const { return window_; }
    UINT_PTR Add(std::function<void()> tick)
    {
        const UINT_PTR id = nextId_++;
        ticks_.emplace(id, std::move(tick));
        return id;
    }
    void Remove(UINT_PTR id)
    {
        ::KillTimer(window_, id);
        ticks_.erase(id);
    }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<TimerWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message != WM_TIMER || self == nullptr)
            return ::DefWindowProcA(window, message, wParam, lParam);
        const auto found = self->ticks_.find(wParam);
        if (found == self->ticks_.end())
            return 0;
        // A copy: the tick may stop or destroy its own timer.
        const auto tick = found->second;
        tick();
        return 0;
    }

    HWND window_ = nullptr;
    std::map<UINT_PTR, std::function<void()>> ticks_;
    UINT_PTR nextId_ = 1;
};

namespace {

class Win32Timer final : public ViewTimer {
public:
    Win32Timer(Win32WindowSystem::TimerWindow& timers, std::function<void()> tick)
        : timers_(timers)
        , id_(timers.Add(std::move(tick)))
    {
    }
    ~Win32Timer() override { timers_.Remove(id_); }
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

    void Start(int intervalMilliseconds) override
    {
        ::SetTimer(timers_.window(), id_, static_cast<UINT>(std::max(intervalMilliseconds, 1)), nullptr);
    }
    void Stop() override { ::KillTimer(timers_.window(), id_); }

private:
    Win32WindowSystem::TimerWindow& timers_;
    UINT_PTR id_;
};

} // namespace

Win32WindowSystem::Win32WindowSystem()
{
    initialiseCommonControls();
    timers_ = std::make_unique<TimerWindow>();
}

Win32WindowSystem::~Win32WindowSystem()
{
    DestroyForms();
}

std::unique_ptr<ViewTimer> Win32WindowSystem::CreateTimer(const std::string&, std::function<void()> tick)
{
    return std::make_unique<Win32Timer>(*timers_, std::move(tick));
}

// A flag rather than WM_QUIT: a quit message would also end any modal box open at the time.
void Win32WindowSystem::EndMessageLoop()
{
    ending_ = true;
    ::PostMessageA(timers_->window(), WM_NULL, 0, 0);
}

void Win32WindowSystem::CreateForm1(const Forms& forms, UiEvents& events)
{
    form1_ = std::make_unique<TForm1>(forms.form1, events);
}

// The dialogs are owned by the main window, which they centre on.
void Win32WindowSystem::CreateForm2(const Forms& forms, UiEvents& events)
{
    form2_ = std::make_unique<TForm2>(forms.form2, forms.form1, events, MainWindow());
}

void Win32WindowSystem::CreateForm4(const Forms& forms, UiEvents& events)
{
    form4_ = std::make_unique<TForm4>(forms.form4, events, MainWindow());
}

void Win32WindowSystem::CreateForm5(const Forms& forms, UiEvents& events)
{
    form5_ = std::make_unique<TForm5>(forms.form5, events, MainWindow());
}

void Win32WindowSystem::ShowMainForm()
{
    if (!form1_)
        return;
    ::ShowWindow(form1_->Handle(), SW_SHOWNORMAL);
    ::SetForegroundWindow(form1_->Handle());
}

int Win32WindowSystem::RunMessageLoop()
{
    MSG message {};
    while (!ending_ && ::GetMessageA(&message, nullptr, 0, 0) > 0) {
        // The dialog keys for whichever of the program's windows the message is for.
        const HWND window = message.hwnd == nullptr ? nullptr : ::GetAncestor(message.hwnd, GA_ROOT);
        if (window != nullptr && window != timers_->window() && ::IsDialogMessageA(window, &message) != FALSE)
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return EXIT_SUCCESS;
}

void Win32WindowSystem::DestroyForms()
{
    form5_.reset();
    form4_.reset();
    form2_.reset();
    form1_.reset();
}

HWND Win32WindowSystem::MainWindow() const
{
    return form1_ ? form1_->Handle() : nullptr;
}

} // namespace vespern::ui
