#include "Unit5.h"

#include <algorithm>

namespace vespern::ui {

namespace {

constexpr DWORD FixedDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

SIZE textSize(HFONT font, const std::string& text)
{
    HDC context = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = ::SelectObject(context, font);
    SIZE size {};
    ::GetTextExtentPoint32A(context, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(context, previous);
    ::DeleteDC(context);
    return size;
}

} // namespace

TForm5::TForm5(TForm5Model& model, UiEvents& events, HWND mainWindow)
    : model_(model)
    , events_(events)
    , mainWindow_(mainWindow)
{
    CreateNative("TForm5", model_.Caption.c_str(), FixedDialogStyle, WS_EX_DLGMODALFRAME, model_.ClientWidth,
        model_.ClientHeight, mainWindow_);
    ::SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont()), FALSE);
    // Controls created later lie on top, so the labels follow the panel; they are the panel's
    // children and take their background from it.
    gradientPanel1_ = std::make_unique<TGradientPanel>(model_.GradientPanel1, Handle());
    ::SetWindowLongPtrA(gradientPanel1_->Handle(), GWLP_ID, IdGradientPanel1);
    addLabel(model_.Label2, IdLabel2);
    addLabel(model_.Label1, IdLabel1);
    addLabel(model_.Label3, IdLabel3);
    events_.AddView(this, [this] { Refresh(); });
}

TForm5::~TForm5()
{
    events_.RemoveView(this);
}

void TForm5::addLabel(const TAboutLabel& label, int id)
{
    fonts_.push_back(CreateGdiFont(label.Font));
    const HFONT font = fonts_.back().get();
    SIZE size { label.Width, label.Height };
    if (size.cx <= 0 || size.cy <= 0)
        size = textSize(font, label.Caption);
    const RECT bounds { label.Left, label.Top, label.Left + size.cx, label.Top + size.cy };
    // The window text is what a screen reader says.
    HWND control = CreateControl(
        gradientPanel1_->Handle(), "STATIC", label.Caption.c_str(), WS_VISIBLE | SS_LEFT | SS_NOPREFIX, bounds, id);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    gradientPanel1_->SetTextColor(control, label.Font.Color);
}

void TForm5::Refresh()
{
    gradientPanel1_->Refresh();
    const bool visible = ::IsWindowVisible(Handle()) != FALSE;
    if (!model_.Visible) {
        if (visible)
            ::ShowWindow(Handle(), SW_HIDE);
        return;
    }
    const bool newShow = shows_.Take(static_cast<unsigned>(model_.ShowCount));
    if (visible && !newShow)
        return;
    if (!visible) {
        centreOnMainWindow();
        ::ShowWindow(Handle(), SW_SHOW);
    }
    // A second show brings the box to the front again.
    ::SetForegroundWindow(Handle());
    ::BringWindowToTop(Handle());
}

void TForm5::centreOnMainWindow()
{
    RECT owner {};
    RECT own {};
    ::GetWindowRect(mainWindow_, &owner);
    ::GetWindowRect(Handle(), &own);
    const LONG width = own.right - own.left;
    const LONG height = own.bottom - own.top;
    LONG left = owner.left + (owner.right - owner.left - width) / 2;
    LONG top = owner.top + (owner.bottom - owner.top - height) / 2;
    // Wholly on the screen the main window is on.
    MONITORINFO monitor {};
    monitor.cbSize = sizeof monitor;
    if (::GetMonitorInfoA(::MonitorFromWindow(mainWindow_, MONITOR_DEFAULTTONEAREST), &monitor) != FALSE) {
        const RECT& area = monitor.rcWork;
        left = std::clamp<LONG>(left, area.left, std::max<LONG>(area.left, area.right - width));
        top = std::clamp<LONG>(top, area.top, std::max<LONG>(area.top, area.bottom - height));
    }
    ::SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TForm5::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) { // Escape
            events_.Handle([this] { model_.Close(); });
            return 0;
        }
        break;
    case WM_CLOSE:
        events_.Handle([this] { model_.Close(); });
        return 0;
    default:
        break;
    }
    return NativeWindow::HandleMessage(message, wParam, lParam);
}

} // namespace vespern::ui
