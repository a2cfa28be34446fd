#include "Unit1.h"

#include "core/TApplication.h"
#include "core/TForm1Model.h"

namespace vespern::ui {

namespace {

constexpr char ApplicationClass[] = "TApplication";
constexpr char MainWindowClass[] = "TForm1";
constexpr int MainWindowWidth = 415;
constexpr int MainWindowHeight = 520;

void registerClass(HINSTANCE instance, const char* name, WNDPROC procedure)
{
    WNDCLASSEXA windowClass {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(1));
    windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    ::RegisterClassExA(&windowClass);
}

} // namespace

TForm1::TForm1(TForm1Model& model, UiEvents& events, HINSTANCE instance)
    : model_(model)
    , events_(events)
{
    const TApplication& application = events.application();
    registerClass(instance, ApplicationClass, ::DefWindowProcA);
    registerClass(instance, MainWindowClass, windowProcedure);
    applicationWindow_ = ::CreateWindowExA(
        0, ApplicationClass, application.Title.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    ::CreateWindowExA(0, MainWindowClass, model_.Caption.c_str(),
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT, MainWindowWidth,
        MainWindowHeight, applicationWindow_, nullptr, instance, this);
}

TForm1::~TForm1()
{
    if (window_ != nullptr)
        ::DestroyWindow(window_);
    if (applicationWindow_ != nullptr)
        ::DestroyWindow(applicationWindow_);
}

void TForm1::Show()
{
    ::ShowWindow(window_, SW_SHOWNORMAL);
}

LRESULT CALLBACK TForm1::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* created = static_cast<TForm1*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
        created->window_ = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* form = reinterpret_cast<TForm1*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (form == nullptr)
        return ::DefWindowProcA(window, message, wParam, lParam);
    return form->handleMessage(window, message, wParam, lParam);
}

LRESULT TForm1::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam != FALSE && !model_.Visible) {
            model_.Visible = true;
            events_.Handle([this] { model_.FormShow(); });
        }
        break;
    case WM_CLOSE:
        // Closing the main window ends the program.
        events_.Handle([this] { model_.Close(); });
        return 0;
    case WM_NCDESTROY:
        window_ = nullptr;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace vespern::ui
