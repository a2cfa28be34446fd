#include "Unit4.h"

#include "DialogSupport.h"

#include <commctrl.h>

#include <string>

namespace vespern::ui {

namespace {

// The bar's track and the bar lie in a strip below the question.
constexpr int StripTop = 141;
constexpr int BarLeft = 11;
constexpr int BarTop = StripTop + 5;
constexpr COLORREF Track = RGB(0, 0, 0);
constexpr COLORREF Bar = RGB(255, 0, 0);

// The bar's name for a screen reader says what is left of the countdown.
std::string barName(int width)
{
    const int seconds = width / TForm4Model::BarStep;
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds") + " left before the action runs";
}

} // namespace

TForm4::TForm4(TForm4Model& model, UiEvents& events, HWND owner)
    : model_(model)
    , events_(events)
    , owner_(owner)
{
    INITCOMMONCONTROLSEX classes { sizeof classes, ICC_STANDARD_CLASSES };
    ::InitCommonControlsEx(&classes);
    CreateNative("TForm4", model_.Caption.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME,
        model_.ClientWidth, model_.ClientHeight, owner_);
    // Read out through the label before it; the keys go to the buttons.
    CreateControl(Handle(), "STATIC", "Question", SS_LEFT, Bounds(6, 0, 0, 0), -1);
    memo1_ = CreateControl(Handle(), "EDIT", model_.Memo1.Text.c_str(),
        WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, Bounds(6, 6, 273, 129), +TForm4Id::Memo1);
    // The red bar stands in front of the black track: made first, it is above it.
    panel15_ = CreateControl(Handle(), "STATIC", barName(model_.Panel15.Width).c_str(),
        WS_VISIBLE | WS_CLIPSIBLINGS | SS_OWNERDRAW,
        Bounds(BarLeft, BarTop, model_.Panel15.Width, model_.Panel15.Height), +TForm4Id::Panel15);
    panel16_ = CreateControl(Handle(), "STATIC", "", WS_VISIBLE | WS_CLIPSIBLINGS | SS_OWNERDRAW,
        Bounds(BarLeft, BarTop, model_.Panel16.Width, model_.Panel16.Height), +TForm4Id::Panel16);
    bitBtn2_ = CreateControl(Handle(), "BUTTON", model_.BitBtn2.Caption.c_str(),
        WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, Bounds(57, 167, 81, 25), +TForm4Id::BitBtn2);
    // "Execute Now" fills its 81 pixels: neither button carries a picture.
    CreateControl(Handle(), "BUTTON", model_.BitBtn1.Caption.c_str(), WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
        Bounds(147, 167, 81, 25), +TForm4Id::BitBtn1);
    events_.AddView(this, [this] { Refresh(); });
    Refresh();
}

TForm4::~TForm4()
{
    events_.RemoveView(this);
}

LRESULT TForm4::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam));
        return 0;
    case WM_DRAWITEM:
        return drawBar(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_CLOSE:
        // Hides only: a running countdown goes on unseen.
        if (model_.Visible)
            events_.Handle([this] { model_.Close(); });
        return 0;
    default:
        break;
    }
    return NativeWindow::HandleMessage(message, wParam, lParam);
}

void TForm4::onCommand(int id)
{
    switch (id) {
    case IDOK:
        PressFocusedButton(Handle());
        break;
    case IDCANCEL:
        // Escape answers "Cancel"; a dialog already hidden has nothing left to cancel.
        if (model_.Visible)
            events_.Handle([this] { model_.BitBtn2Click(); });
        break;
    case +TForm4Id::BitBtn2:
        events_.Handle([this] { model_.BitBtn2Click(); });
        break;
    case +TForm4Id::BitBtn1:
        events_.Handle([this] { model_.BitBtn1Click(); });
        break;
    default:
        break;
    }
}

LRESULT TForm4::drawBar(const DRAWITEMSTRUCT& item)
{
    const COLORREF colour = item.CtlID == static_cast<UINT>(+TForm4Id::Panel15) ? Bar : Track;
    const HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(item.hDC, &item.rcItem, brush);
    ::DeleteObject(brush);
    return TRUE;
}

void TForm4::Refresh()
{
    SetControlText(memo1_, model_.Memo1.Text);
    if (model_.Memo1.ReadOnly != ((::GetWindowLongPtrA(memo1_, GWL_STYLE) & ES_READONLY) != 0))
        ::SendMessageA(memo1_, EM_SETREADONLY, model_.Memo1.ReadOnly ? TRUE : FALSE, 0);
    refreshBar();
    refreshVisibility();
}

void TForm4::refreshBar()
{
    RECT bar {};
    ::GetWindowRect(panel15_, &bar);
    // An emptied bar is a bar of no width, never a negative one.
    const int width = model_.Panel15.Width > 0 ? model_.Panel15.Width : 0;
    if (bar.right - bar.left == width)
        return;
    ::SetWindowPos(panel15_, nullptr, 0, 0, width, model_.Panel15.Height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetControlText(panel15_, barName(width));
    // The uncovered part of the track shows again.
    ::InvalidateRect(panel16_, nullptr, FALSE);
}

void TForm4::refreshVisibility()
{
    const bool frontRequested = frontRequests_.Take(model_.FrontRequests);
    // It opens on "Cancel": a key pressed once too often keeps the action back.
    if (FollowVisibility(Handle(), owner_, model_.Visible, frontRequested))
        ::SetFocus(bitBtn2_);
}

} // namespace vespern::ui
