#include "GradientPanel.h"

#include "TopDownDib.h"

#include <algorithm>

namespace vespern::ui {

TGradientPanel::TGradientPanel(vespern::TGradientPanel& model, HWND parent)
    : model_(model)
    , painted_(model.PaintedProperties())
{
    CreateNative(
        "TGradientPanel", model_.Caption.c_str(), WS_CHILD | WS_VISIBLE, 0, model_.Width, model_.Height, parent);
    ::SetWindowPos(Handle(), nullptr, model_.Left, model_.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    render();
    model_.OnInvalidate = [this] { repaint(); };
}

TGradientPanel::~TGradientPanel()
{
    model_.OnInvalidate = nullptr;
}

// Runs after every event, the monitor ticks included: an unchanged panel is not painted again.
void TGradientPanel::Refresh()
{
    RECT place {};
    ::GetWindowRect(Handle(), &place);
    ::MapWindowPoints(nullptr, ::GetParent(Handle()), reinterpret_cast<POINT*>(&place), 2);
    if (place.left != model_.Left || place.top != model_.Top || place.right - place.left != model_.Width
        || place.bottom - place.top != model_.Height) {
        ::SetWindowPos(
            Handle(), nullptr, model_.Left, model_.Top, model_.Width, model_.Height, SWP_NOZORDER | SWP_NOACTIVATE);
        repaint();
    }
    const auto now = model_.PaintedProperties();
    if (now == painted_)
        return;
    if (now.caption != painted_.caption)
        ::SetWindowTextA(Handle(), now.caption.c_str());
    painted_ = now;
    repaint();
}

void TGradientPanel::repaint()
{
    render();
    // The controls on the panel take their background from it: they are painted again with it.
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TGradientPanel::paint(HDC context)
{
    if (picture_.Width() == 0 || picture_.Height() == 0)
        return;
    const BITMAPINFO info = TopDownDib(picture_.Width(), picture_.Height());
    ::SetDIBitsToDevice(context, 0, 0, static_cast<DWORD>(picture_.Width()), static_cast<DWORD>(picture_.Height()), 0,
        0, 0, static_cast<UINT>(picture_.Height()), picture_.Pixels().data(), &info, DIB_RGB_COLORS);
}

// The whole picture from the model, and a brush of it for the controls' backgrounds.
void TGradientPanel::render()
{
    picture_ = model_.Paint(text_);
    background_ = GdiObject<HBRUSH>();
    if (picture_.Width() == 0 || picture_.Height() == 0)
        return;
    void* bits = nullptr;
    GdiObject<HBITMAP> copy(CreateTopDownDibSection(picture_.Width(), picture_.Height(), &bits));
    if (!copy)
        return;
    std::copy(picture_.Pixels().begin(), picture_.Pixels().end(), static_cast<TColor*>(bits));
    background_ = GdiObject<HBRUSH>(::CreatePatternBrush(copy.get()));
}

LRESULT TGradientPanel::staticColors(HDC context, HWND child)
{
    ::SetBkMode(context, TRANSPARENT);
    const auto color = textColors_.find(child);
    if (color != textColors_.end())
        ::SetTextColor(context, RGB(color->second >> 16 & 0xFF, color->second >> 8 & 0xFF, color->second & 0xFF));
    if (!background_)
        return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    POINT origin {};
    ::MapWindowPoints(child, Handle(), &origin, 1);
    ::SetBrushOrgEx(context, -origin.x, -origin.y, nullptr);
    return reinterpret_cast<LRESULT>(background_.get());
}

LRESULT TGradientPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the paint covers every pixel
    case WM_PAINT: {
        PAINTSTRUCT paintStruct {};
        HDC context = ::BeginPaint(Handle(), &paintStruct);
        paint(context);
        ::EndPaint(Handle(), &paintStruct);
        return 0;
    }
    case WM_PRINTCLIENT:
        paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return staticColors(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default:
        return NativeWindow::HandleMessage(message, wParam, lParam);
    }
}

} // namespace vespern::ui
