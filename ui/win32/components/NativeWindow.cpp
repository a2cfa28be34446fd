#include "NativeWindow.h"

#include <algorithm>
#include <string>

namespace vespern::ui {

NativeWindow::~NativeWindow()
{
    if (window_ != nullptr) {
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }
}

namespace {

// Registers the class once per process: the arrow cursor, the program's icon, the background.
void registerClass(const char* className, WNDPROC procedure, HBRUSH background)
{
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass {};
    windowClass.cbSize = sizeof windowClass;
    if (::GetClassInfoExA(instance, className, &windowClass) != FALSE)
        return;
    windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(1));
    windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    ::RegisterClassExA(&windowClass);
}

} // namespace

void NativeWindow::CreateNative(
    const char* className, const char* title, DWORD style, DWORD exStyle, int clientWidth, int clientHeight, HWND owner)
{
    registerClass(className, procedure, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    RECT frame { 0, 0, clientWidth, clientHeight };
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    ::CreateWindowExA(exStyle, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
        frame.bottom - frame.top, owner, nullptr, ::GetModuleHandleA(nullptr), this);
}

LRESULT NativeWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT CALLBACK NativeWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* created = static_cast<NativeWindow*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
        created->window_ = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<NativeWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr)
        return ::DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        self->window_ = nullptr;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

void RegisterControlClass(const char* className, WNDPROC procedure)
{
    registerClass(className, procedure, nullptr);
}

HWND CreateControl(
    HWND parent, const char* className, const char* text, DWORD style, RECT bounds, int id, DWORD exStyle)
{
    HWND control = ::CreateWindowExA(exStyle, className, text, style | WS_CHILD, bounds.left, bounds.top,
        bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont()), FALSE);
    return control;
}

int CheckBoxWidthNeeded(HWND box)
{
    std::string caption(static_cast<std::size_t>(::GetWindowTextLengthA(box)) + 1, '\0');
    caption.resize(static_cast<std::size_t>(::GetWindowTextA(box, caption.data(), static_cast<int>(caption.size()))));
    const HDC context = ::GetDC(box);
    const HGDIOBJ previous = ::SelectObject(context, reinterpret_cast<HGDIOBJ>(::SendMessageA(box, WM_GETFONT, 0, 0)));
    SIZE text {};
    ::GetTextExtentPoint32A(context, caption.c_str(), static_cast<int>(caption.size()), &text);
    ::SelectObject(context, previous);
    ::ReleaseDC(box, context);
    // The box, the gap after it, and room for the focus rectangle around the caption.
    return ::GetSystemMetrics(SM_CXMENUCHECK) + 4 + text.cx + 2;
}

void FitCheckBoxToCaption(HWND box, int rightLimit)
{
    RECT place {};
    ::GetWindowRect(box, &place);
    ::MapWindowPoints(nullptr, ::GetParent(box), reinterpret_cast<POINT*>(&place), 2);
    const int width = std::min(CheckBoxWidthNeeded(box), rightLimit - static_cast<int>(place.left));
    if (width <= place.right - place.left)
        return;
    ::SetWindowPos(box, nullptr, 0, 0, width, place.bottom - place.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT WindowFont()
{
    // Created once and kept for the life of the program, as every window uses it.
    static const HFONT font
        = ::CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    return font;
}

} // namespace vespern::ui
