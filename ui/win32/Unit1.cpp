#include "Unit1.h"

#include "components/GdiTextRenderer.h"
#include "components/JpegPicture.h"
#include "components/PopupMenu.h"
#include "components/ResourceIds.h"
#include "components/TrayIcon.h"
#include "core/TForm1Model.h"

#include <commctrl.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace vespern::ui {

namespace {

constexpr char MainWindowClass[] = "TForm1";
constexpr char PanelClass[] = "TPanel";
constexpr char PanelFontProperty[] = "VespernPanelFont";
constexpr char PanelPictureProperty[] = "VespernPanelPicture";
constexpr UINT WmFormShow = WM_APP + 1;
constexpr UINT WmMinimized = WM_APP + 2;
constexpr int NoId = -1;
constexpr DWORD MainWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD MainWindowExStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
constexpr int ListDropHeight = 200;

// The banner's own colour stands under the links while it has no picture.
constexpr COLORREF BannerColour = RGB(0x1F, 0x2A, 0x44);
// Light blue: readable on the dark banner.
constexpr COLORREF LinkColour = RGB(0xA8, 0xD4, 0xFF);
constexpr COLORREF ComputerNameColour = RGB(0x00, 0x00, 0xFF);
constexpr COLORREF NoColour = CLR_INVALID;

RECT bounds(int x, int y, int width, int height)
{
    return { x, y, x + width, y + height };
}

std::string windowText(HWND window)
{
    const int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

void setText(HWND window, const std::string& text)
{
    if (windowText(window) != text)
        ::SetWindowTextA(window, text.c_str());
}

bool hasStyle(HWND window, DWORD style)
{
    return (static_cast<DWORD>(::GetWindowLongPtrA(window, GWL_STYLE)) & style) == style;
}

void setVisible(HWND window, bool visible)
{
    if (hasStyle(window, WS_VISIBLE) != visible)
        ::ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
}

void setEnabled(HWND window, bool enabled)
{
    if ((::IsWindowEnabled(window) != FALSE) != enabled)
        ::EnableWindow(window, enabled ? TRUE : FALSE);
}

// The rectangle of a child in its parent's client pixels.
RECT childBounds(HWND window)
{
    RECT rect {};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void setSize(HWND window, int width, int height)
{
    const RECT rect = childBounds(window);
    if (rect.right - rect.left == width && rect.bottom - rect.top == height)
        return;
    ::SetWindowPos(
        window, nullptr, 0, 0, std::max(width, 0), std::max(height, 0), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A picture stretched over the rectangle.
void drawStretched(HDC context, HBITMAP picture, const RECT& rect)
{
    BITMAP size {};
    ::GetObjectA(picture, sizeof size, &size);
    const HDC source = ::CreateCompatibleDC(context);
    const HGDIOBJ previous = ::SelectObject(source, picture);
    ::SetStretchBltMode(context, HALFTONE);
    ::StretchBlt(context, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source, 0, 0,
        size.bmWidth, size.bmHeight, SRCCOPY);
    ::SelectObject(source, previous);
    ::DeleteDC(source);
}

// A panel: a plain child window that holds controls, painted with its picture or in its own colour (the
// system's button face unless given one), with its caption centred, raised, when it has one. The
// notifications of its controls go on to the main window, which handles them by control id.
LRESULT CALLBACK panelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
        return ::SendMessageA(::GetAncestor(window, GA_ROOT), message, wParam, lParam);
    case WM_ERASEBKGND: {
        RECT rect {};
        ::GetClientRect(window, &rect);
        const auto colour = static_cast<COLORREF>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        const HDC context = reinterpret_cast<HDC>(wParam);
        if (const auto picture = static_cast<HBITMAP>(::GetPropA(window, PanelPictureProperty))) {
            drawStretched(context, picture, rect);
            return 1;
        }
        if (colour == NoColour) {
            ::FillRect(context, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
        } else {
            ::SetDCBrushColor(context, colour);
            ::FillRect(context, &rect, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
        }
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint {};
        const HDC context = ::BeginPaint(window, &paint);
        const std::string caption = windowText(window);
        if (!caption.empty()) {
            RECT rect {};
            ::GetClientRect(window, &rect);
            ::DrawEdge(context, &rect, BDR_RAISEDINNER, BF_RECT);
            const HGDIOBJ previous = ::SelectObject(context, ::GetPropA(window, PanelFontProperty));
            ::SetBkMode(context, TRANSPARENT);
            ::SetTextColor(context, ::GetSysColor(COLOR_BTNTEXT));
            ::DrawTextA(context, caption.c_str(), -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            ::SelectObject(context, previous);
        }
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_NCDESTROY:
        ::RemovePropA(window, PanelFontProperty);
        ::RemovePropA(window, PanelPictureProperty);
        return ::DefWindowProcA(window, message, wParam, lParam);
    case WM_SETTEXT: {
        const LRESULT result = ::DefWindowProcA(window, message, wParam, lParam);
        ::InvalidateRect(window, nullptr, TRUE);
        return result;
    }
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND createPanel(HWND parent, int id, RECT at, COLORREF colour)
{
    RegisterControlClass(PanelClass, panelProcedure);
    const HWND window = CreateControl(parent, PanelClass, "", WS_VISIBLE, at, id, WS_EX_CONTROLPARENT);
    ::SetPropA(window, PanelFontProperty, WindowFont());
    ::SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
    return window;
}

// A time of day as the picker holds it (days since 1899-12-30) and back.
bool toSystemTime(double dateTime, SYSTEMTIME& time)
{
    return ::VariantTimeToSystemTime(dateTime, &time) != FALSE;
}

bool sameSecond(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour
        && a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

} // namespace

struct TForm1::LinkState {
    TForm1* form;
    void (TForm1Model::*move)();
    void (TForm1Model::*leave)();
    void (TForm1Model::*click)();
    bool hovering = false;
};

TForm1::TForm1(TForm1Model& model, UiEvents& events)
    : model_(model)
    , events_(events)
    // The window font's face and height in bold, for the computer name; a point larger for a
    // link under the mouse.
    , boldFont_(CreateGdiFont({ .Height = 11, .Bold = true }))
    , hoverFont_(CreateGdiFont({ .Height = 12 }))
{
    CreateNative(MainWindowClass, model_.Caption.c_str(), MainWindowStyle, MainWindowExStyle, ClientWidth,
        model_.Panel22.Height + model_.Panel3.Height + model_.Panel9.Height + model_.Panel7.Height
            + model_.Panel2.Height,
        nullptr);
    tooltips_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, ::GetModuleHandleA(nullptr), nullptr);

    buildBanner(band(model_.Panel22, IdPanel22));
    buildTargetSelector(band(model_.Panel3, IdPanel3));
    const HWND middle = band(model_.Panel9, IdPanel9);
    const auto local = model_.ModeControls(TargetMode::LocalComputer);
    const auto network = model_.ModeControls(TargetMode::NetworkComputer);
    for (const auto& mode : { local, network }) {
        const HWND set = panel(middle, mode.Set.Model, mode.Set.Id, { 0, 0 });
        if (mode.Mode == TargetMode::LocalComputer)
            buildLocalComputer(set);
        else
            buildNetworkComputer(set);
        buildEventSet(set, mode);
    }
    buildActionOptions(band(model_.Panel7, IdPanel7));
    buildButtons(band(model_.Panel2, IdPanel2));
    // The network computer's progress stands above the local computer's.
    for (const auto& mode : { network, local })
        buildProgress(band(mode.Progress.Model, mode.Progress.Id), mode);
    buildTray();

    // Centred on the desktop's work area, at the height it opens with.
    RECT work {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame {};
    ::GetWindowRect(Handle(), &frame);
    ::SetWindowPos(Handle(), nullptr, work.left + (work.right - work.left - (frame.right - frame.left)) / 2,
        work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2, 0, 0,
        SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    events_.AddView(this, [this] { Refresh(); });
    Refresh();
}

TForm1::~TForm1()
{
    events_.RemoveView(this);
    model_.TrayIcon1.Attach(nullptr);
    trayIcon1_.reset();
    for (const auto& [window, state] : links_)
        ::RemoveWindowSubclass(window, linkProcedure, reinterpret_cast<UINT_PTR>(state.get()));
}

void TForm1::handle(const std::function<void()>& handler)
{
    events_.Handle(handler);
}

HWND TForm1::band(TPanel& model, int id)
{
    const HWND window = panel(Handle(), model, id, { 0, 0 });
    bands_.emplace_back(window, &model);
    return window;
}

HWND TForm1::panel(HWND parent, TPanel& model, int id, POINT at)
{
    const HWND window = createPanel(parent, id, bounds(at.x, at.y, model.Width, model.Height), NoColour);
    refreshers_.push_back([this, window, &model] {
        setVisible(window, model.Visible && !stacks_.Covered(model));
        setEnabled(window, model.Enabled);
        setText(window, model.Caption);
        setSize(window, model.Width, model.Height);
    });
    return window;
}

HWND TForm1::group(HWND parent, const TControl& model, const std::string& caption, int id, RECT at)
{
    const HWND window = CreateControl(parent, "BUTTON", caption.c_str(), WS_VISIBLE | WS_GROUP | BS_GROUPBOX, at, id);
    refreshers_.push_back([window, &model] {
        setVisible(window, model.Visible);
        setEnabled(window, model.Enabled);
    });
    enclosing_ = &model;
    origin_ = { at.left, at.top };
    return window;
}

void TForm1::endGroup()
{
    enclosing_ = nullptr;
    origin_ = { 0, 0 };
}

RECT TForm1::inGroup(RECT at) const
{
    ::OffsetRect(&at, origin_.x, origin_.y);
    return at;
}

void TForm1::applyControl(HWND control, const TControl& model, const TControl* enclosing)
{
    setVisible(control, model.Visible);
    setEnabled(control, model.Enabled && (enclosing == nullptr || enclosing->Enabled));
}

void TForm1::hint(HWND control, const TControl& model)
{
    if (model.Hint.empty())
        return;
    TTTOOLINFOA tool {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(model.Hint.c_str());
    ::SendMessageA(tooltips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

// A label is read by its text (the computer name, a time left); its hint describes it.
HWND TForm1::label(HWND parent, TLabel& model, int id, RECT at, DWORD style)
{
    const HWND window = CreateControl(parent, "STATIC", model.Caption.c_str(), style, inGroup(at), id);
    hint(window, model);
    refreshers_.push_back([this, window, &model, enclosing = enclosing_] {
        applyControl(window, model, enclosing);
        setText(window, model.Caption);
    });
    return window;
}

HWND TForm1::text(HWND parent, const char* caption, RECT at)
{
    return CreateControl(parent, "STATIC", caption, WS_VISIBLE | SS_LEFT, inGroup(at), NoId);
}

// An integer field with its arrows; the arrows keep the value in the model's range, and the
// text goes to the model whenever it changes (typed or stepped).
void TForm1::spin(HWND parent, TSpinEdit& model, int id, RECT at)
{
    const HWND field = CreateControl(
        parent, "EDIT", model.Text.c_str(), WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, inGroup(at), id, WS_EX_CLIENTEDGE);
    const HWND arrows = CreateControl(parent, UPDOWN_CLASSA, "",
        UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_ALIGNRIGHT | UDS_NOTHOUSANDS, inGroup(bounds(0, 0, 0, 0)), id + 1);
    ::SendMessageA(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(field), 0);
    ::SendMessageA(arrows, UDM_SETRANGE32, static_cast<WPARAM>(model.MinValue), model.MaxValue);
    hint(field, model);
    commands_[id] = [this, field, &model](UINT code) {
        if (code == EN_CHANGE)
            handle([&model, text = windowText(field)] { model.Text = text; });
        if (code == EN_KILLFOCUS) {
            // A typed number outside the range comes back into it, as the arrows would keep it.
            const std::string typed = windowText(field);
            const int value = typed.empty() ? model.MinValue : std::atoi(typed.c_str());
            const int kept = std::clamp(value, model.MinValue, model.MaxValue);
            if (typed.empty() || kept != value)
                ::SetWindowTextA(field, std::to_string(kept).c_str());
        }
    };
    refreshers_.push_back([this, field, arrows, &model, enclosing = enclosing_] {
        applyControl(field, model, enclosing);
        applyControl(arrows, model, enclosing);
        int low = 0;
        int high = 0;
        ::SendMessageA(arrows, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
        if (low != model.MinValue || high != model.MaxValue)
            ::SendMessageA(arrows, UDM_SETRANGE32, static_cast<WPARAM>(model.MinValue), model.MaxValue);
        setText(field, model.Text);
    });
}

// An editable drop-down list: the text field shows the initial text until an item is picked, and
// takes typing. change runs after the model took a newly selected item.
HWND TForm1::list(HWND parent, TComboBox& model, int id, RECT at, std::function<void()> change)
{
    at.bottom = at.top + ListDropHeight;
    const HWND window = CreateControl(
        parent, "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, inGroup(at), id);
    hint(window, model);
    commands_[id] = [this, window, &model, change](UINT code) {
        if (code == CBN_SELCHANGE) {
            const auto index = static_cast<int>(::SendMessageA(window, CB_GETCURSEL, 0, 0));
            std::string text;
            if (index >= 0) {
                text.resize(static_cast<std::size_t>(::SendMessageA(window, CB_GETLBTEXTLEN, index, 0)) + 1);
                text.resize(static_cast<std::size_t>(std::max<LRESULT>(
                    ::SendMessageA(window, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data())), 0)));
            }
            handle([&model, change, index, text] {
                if (model.Select(index, text) && change)
                    change();
            });
        }
        if (code == CBN_EDITCHANGE)
            handle([&model, text = windowText(window)] { model.Text = text; });
    };
    refreshers_.push_back([this, window, &model, enclosing = enclosing_] {
        applyControl(window, model, enclosing);
        bool same = ::SendMessageA(window, CB_GETCOUNT, 0, 0) == static_cast<LRESULT>(model.Items.size());
        for (std::size_t i = 0; same && i < model.Items.size(); ++i) {
            std::string item(static_cast<std::size_t>(::SendMessageA(window, CB_GETLBTEXTLEN, i, 0)) + 1, '\0');
            item.resize(static_cast<std::size_t>(
                std::max<LRESULT>(::SendMessageA(window, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data())), 0)));
            same = item == model.Items[i];
        }
        if (!same) {
            ::SendMessageA(window, CB_RESETCONTENT, 0, 0);
            for (const auto& item : model.Items)
                ::SendMessageA(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        }
        if (::SendMessageA(window, CB_GETCURSEL, 0, 0) != model.ItemIndex)
            ::SendMessageA(window, CB_SETCURSEL, static_cast<WPARAM>(model.ItemIndex), 0);
        setText(window, model.Text);
    });
    return window;
}

// The model's setter runs the click handler when, and only when, the state changes.
void TForm1::check(HWND parent, TCheckBox& model, int id, RECT at, void (TForm1Model::*setChecked)(bool))
{
    const HWND window
        = CreateControl(parent, "BUTTON", model.Caption.c_str(), WS_TABSTOP | BS_AUTOCHECKBOX, inGroup(at), id);
    hint(window, model);
    commands_[id] = [this, window, setChecked](UINT code) {
        if (code != BN_CLICKED)
            return;
        const bool checked = ::SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
        handle([this, setChecked, checked] { (model_.*setChecked)(checked); });
    };
    refreshers_.push_back([this, window, &model, enclosing = enclosing_] {
        applyControl(window, model, enclosing);
        const WPARAM state = model.Checked ? BST_CHECKED : BST_UNCHECKED;
        if (static_cast<WPARAM>(::SendMessageA(window, BM_GETCHECK, 0, 0)) != state)
            ::SendMessageA(window, BM_SETCHECK, state, 0);
    });
}

HWND TForm1::button(HWND parent, TButton& model, int id, RECT at, int picture, std::function<void()> click)
{
    const HWND window
        = CreateControl(parent, "BUTTON", model.Caption.c_str(), WS_TABSTOP | BS_PUSHBUTTON, inGroup(at), id);
    buttonPictures_.Attach(window, picture);
    hint(window, model);
    commands_[id] = [this, click = std::move(click)](UINT code) {
        if (code == BN_CLICKED)
            handle(click);
    };
    refreshers_.push_back([this, window, &model, enclosing = enclosing_] {
        applyControl(window, model, enclosing);
        setText(window, model.Caption);
    });
    return window;
}

void TForm1::edit(HWND parent, TEdit& model, int id, RECT at)
{
    const HWND window = CreateControl(
        parent, "EDIT", model.Text.c_str(), WS_TABSTOP | ES_AUTOHSCROLL, inGroup(at), id, WS_EX_CLIENTEDGE);
    hint(window, model);
    // Every change of the text, typed, pasted or set as a whole.
    commands_[id] = [this, window, &model](UINT code) {
        if (code == EN_CHANGE)
            handle([&model, text = windowText(window)] { model.Text = text; });
    };
    refreshers_.push_back([this, window, &model, enclosing = enclosing_] {
        applyControl(window, model, enclosing);
        const bool readOnly = hasStyle(window, ES_READONLY);
        if (readOnly != model.ReadOnly)
            ::SendMessageA(window, EM_SETREADONLY, model.ReadOnly ? TRUE : FALSE, 0);
        setText(window, model.Text);
    });
}

// A time-of-day picker with arrows and no calendar, in the system's long time format.
void TForm1::picker(HWND parent, TDateTimePickerEx& model, int id, RECT at)
{
    const HWND window
        = CreateControl(parent, DATETIMEPICK_CLASSA, "", WS_TABSTOP | DTS_TIMEFORMAT | DTS_UPDOWN, inGroup(at), id);
    hint(window, model);
    notifications_[id] = [this, window, &model](UINT code) {
        if (code != DTN_DATETIMECHANGE)
            return;
        SYSTEMTIME time {};
        if (::SendMessageA(window, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID)
            return;
        double value = 0;
        if (::SystemTimeToVariantTime(&time, &value) != FALSE)
            handle([&model, value] { model.DateTime = value; });
    };
    refreshers_.push_back([this, window, &model, enclosing = enclosing_] {
        applyControl(window, model, enclosing);
        SYSTEMTIME wanted {};
        SYSTEMTIME shown {};
        if (!toSystemTime(model.DateTime, wanted))
            return;
        ::SendMessageA(window, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown));
        if (!sameSecond(wanted, shown))
            ::SendMessageA(window, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&wanted));
    });
}

void TForm1::buildBanner(HWND band)
{
    ::SetWindowLongPtrA(band, GWLP_USERDATA, static_cast<LONG_PTR>(BannerColour));
    banner_ = std::make_unique<Picture>(JpegPicture(PictureBanner));
    if (*banner_)
        ::SetPropA(band, PanelPictureProperty, banner_->Handle());
    link(band, model_.Label39, IdLabel39, bounds(170, 4, 42, 18), &TForm1Model::Label39MouseMove,
        &TForm1Model::Label39MouseLeave, &TForm1Model::Label39Click);
    link(band, model_.Label40, IdLabel40, bounds(214, 4, 40, 18), &TForm1Model::Label40MouseMove,
        &TForm1Model::Label40MouseLeave, &TForm1Model::Label40Click);
}

void TForm1::link(HWND band, TLabel& model, int id, RECT at, void (TForm1Model::*move)(), void (TForm1Model::*leave)(),
    void (TForm1Model::*click)())
{
    // A Tab stop as well, taken with Enter or Space like a button.
    const HWND window = label(band, model, id, at, SS_RIGHT | SS_NOTIFY | WS_TABSTOP);
    auto& state
        = links_.emplace_back(window, std::make_unique<LinkState>(LinkState { this, move, leave, click })).second;
    ::SetWindowSubclass(window, linkProcedure, reinterpret_cast<UINT_PTR>(state.get()), 0);
    commands_[id] = [this, click](UINT code) {
        if (code == STN_CLICKED)
            handle([this, click] { (model_.*click)(); });
    };
    refreshers_.push_back([this, window, &model] {
        const HFONT wanted = model.FontSize > 8 ? hoverFont_.get() : WindowFont();
        if (reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)) == wanted)
            return;
        ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(wanted), FALSE);
        // Drawn transparent: the banner under the old text is drawn again.
        const RECT rect = childBounds(window);
        ::InvalidateRect(::GetParent(window), &rect, TRUE);
    });
}

// The hand over a link, and its hover: the mouse moving onto it, and leaving it.
LRESULT CALLBACK TForm1::linkProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR)
{
    auto* state = reinterpret_cast<LinkState*>(id);
    switch (message) {
    case WM_SETCURSOR:
        ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649))); // IDC_HAND
        return TRUE;
    case WM_MOUSEMOVE:
        if (!state->hovering) {
            state->hovering = true;
            TRACKMOUSEEVENT track { sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, 0 };
            ::TrackMouseEvent(&track);
        }
        state->form->handle([state] { (state->form->model_.*state->move)(); });
        break;
    case WM_MOUSELEAVE:
        state->hovering = false;
        state->form->handle([state] { (state->form->model_.*state->leave)(); });
        break;
    case WM_GETDLGCODE:
        // Enter then reaches it as a button's click (BN_CLICKED, which is STN_CLICKED).
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case WM_KEYUP:
        if (wParam == VK_SPACE)
            state->form->handle([state] { (state->form->model_.*state->click)(); });
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        // Drawn transparent: the banner under the focus mark is drawn again.
        const RECT rect = childBounds(window);
        ::InvalidateRect(::GetParent(window), &rect, TRUE);
        break;
    }
    case WM_PAINT: {
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        if (::GetFocus() == window) {
            RECT client {};
            ::GetClientRect(window, &client);
            const HDC context = ::GetDC(window);
            ::DrawFocusRect(context, &client);
            ::ReleaseDC(window, context);
        }
        return result;
    }
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

void TForm1::buildTargetSelector(HWND band)
{
    auto& model = model_.RadioGroup1;
    group(band, model, model.Caption, IdRadioGroup1, bounds(9, 2, 241, 46));
    std::vector<HWND> items;
    for (std::size_t i = 0; i < model.Items.size(); ++i) {
        const int id = IdRadioGroup1Item0 + static_cast<int>(i);
        // The first item starts the group; the arrow keys move within it.
        const DWORD style = BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0);
        const HWND item = CreateControl(band, "BUTTON", model.Items[i].c_str(), style,
            inGroup(bounds(8 + static_cast<int>(i) * 108, 18, i == 0 ? 106 : 124, 20)), id);
        hint(item, model);
        commands_[id] = [this, i](UINT code) {
            if (code != BN_CLICKED)
                return;
            handle([this, i] { model_.SelectRadioGroup1Item(static_cast<int>(i)); });
        };
        items.push_back(item);
    }
    endGroup();
    refreshers_.push_back([this, items, &model] {
        for (std::size_t i = 0; i < items.size(); ++i) {
            applyControl(items[i], model, nullptr);
            // Tab enters the group at its selected item.
            const bool selected = static_cast<int>(i) == model.ItemIndex;
            if (hasStyle(items[i], WS_TABSTOP) != selected) {
                const LONG_PTR style = ::GetWindowLongPtrA(items[i], GWL_STYLE);
                ::SetWindowLongPtrA(items[i], GWL_STYLE, selected ? style | WS_TABSTOP : style & ~WS_TABSTOP);
            }
            const WPARAM state = static_cast<int>(i) == model.ItemIndex ? BST_CHECKED : BST_UNCHECKED;
            if (static_cast<WPARAM>(::SendMessageA(items[i], BM_GETCHECK, 0, 0)) != state)
                ::SendMessageA(items[i], BM_SETCHECK, state, 0);
        }
    });
}

void TForm1::buildLocalComputer(HWND set)
{
    group(set, model_.GroupBox7, model_.GroupBox7.Caption, IdGroupBox7, bounds(9, 2, 241, 47));
    computerName_ = label(set, model_.Label3, IdLabel3, bounds(8, 18, 225, 20), SS_CENTER);
    ::SendMessageA(computerName_, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
    endGroup();
}

void TForm1::buildNetworkComputer(HWND set)
{
    group(set, model_.GroupBox6, model_.GroupBox6.Caption, IdGroupBox6, bounds(8, 5, 241, 47));
    edit(set, model_.Edit1, IdEdit1, bounds(8, 17, 158, 21));
    button(set, model_.BitBtn5, IdBitBtn5, bounds(168, 14, 65, 25), PictureButtonBrowse,
        [this] { model_.BitBtn5Click(); });
    endGroup();
}

void TForm1::buildEventSet(HWND set, const TForm1ModeControls& c)
{
    // The settings panels start a new group, so that the arrow keys stay in the list above.
    group(set, c.EventGroup.Model, c.EventGroup.Model.Caption, c.EventGroup.Id, bounds(9, 52, 241, 83));
    list(set, c.EventList.Model, c.EventList.Id, bounds(12, 18, 217, 21),
        [this, mode = c.Mode] { model_.EventListChange(mode); });
    const POINT settings { 9 + 12, 52 + 46 };
    endGroup();
    // The settings lie beside the group box, not in it, and are enabled only while it is.
    enclosing_ = &c.EventGroup.Model;
    const auto settingsPanel = [&](EventKind kind) {
        const auto& named = c.Settings[static_cast<std::size_t>(kind)];
        return panel(set, named.Model, named.Id, settings);
    };

    const HWND countdown = settingsPanel(EventKind::Countdown);
    text(countdown, "Set Timer", bounds(4, 6, 60, 18));
    spin(countdown, c.Minutes.Model, c.Minutes.Id, bounds(66, 4, 80, 21));
    text(countdown, "Minutes", bounds(152, 6, 60, 18));
    const HWND onTime = settingsPanel(EventKind::OnTime);
    text(onTime, "On Time : ", bounds(4, 6, 60, 18));
    picker(onTime, c.Time.Model, c.Time.Id, bounds(66, 4, 137, 21));
    const HWND process = settingsPanel(EventKind::OnProcessStops);
    text(process, "Proccess :", bounds(4, 6, 60, 18));
    list(process, c.ProcessList.Model, c.ProcessList.Id, bounds(66, 4, 148, 21), {});
    const HWND cpu = settingsPanel(EventKind::LowCpuUsage);
    text(cpu, "Below", bounds(4, 6, 34, 18));
    spin(cpu, c.CpuPercent.Model, c.CpuPercent.Id, bounds(40, 4, 50, 21));
    text(cpu, "%    For", bounds(94, 6, 46, 18));
    spin(cpu, c.CpuSeconds.Model, c.CpuSeconds.Id, bounds(142, 4, 50, 21));
    text(cpu, "s", bounds(198, 6, 14, 18));
    const HWND battery = settingsPanel(EventKind::BatteryLow);
    text(battery, "Below", bounds(4, 6, 34, 18));
    spin(battery, c.BatteryPercent.Model, c.BatteryPercent.Id, bounds(40, 4, 50, 21));
    text(battery, "%", bounds(94, 6, 14, 18));
    const HWND placeholder = panel(set, c.Placeholder.Model, c.Placeholder.Id, settings);
    // The local placeholder says it with a label, the network one with its caption.
    if (c.Mode == TargetMode::LocalComputer)
        label(placeholder, model_.Label30, IdLabel30, bounds(0, 8, 217, 16), SS_CENTER);
    endGroup();
    std::vector<const TPanel*> stack;
    for (const auto& named : c.Settings)
        stack.push_back(&named.Model);
    stack.push_back(&c.Placeholder.Model);
    stacks_.Add(std::move(stack));

    group(set, c.ActionGroup.Model, c.ActionGroup.Model.Caption, c.ActionGroup.Id, bounds(9, 140, 241, 57));
    list(set, c.ActionList.Model, c.ActionList.Id, bounds(12, 22, 217, 21), {});
    endGroup();
}

void TForm1::buildActionOptions(HWND band)
{
    group(band, model_.GroupBox3, model_.GroupBox3.Caption, IdGroupBox3, bounds(9, 2, 241, 66));
    check(band, model_.CheckBox1, IdCheckBox1, bounds(12, 18, 220, 20), &TForm1Model::SetCheckBox1Checked);
    check(band, model_.CheckBox2, IdCheckBox2, bounds(12, 40, 220, 20), &TForm1Model::SetCheckBox2Checked);
    endGroup();
}

void TForm1::buildButtons(HWND band)
{
    // Start and Stop take turns at one place; Start starts a new group after the check boxes.
    start_ = button(
        band, model_.BitBtn2, IdBitBtn2, bounds(9, 7, 80, 25), PictureButtonStart, [this] { model_.BitBtn2Click(); });
    ::SetWindowLongPtrA(start_, GWL_STYLE, ::GetWindowLongPtrA(start_, GWL_STYLE) | WS_GROUP);
    stop_ = button(
        band, model_.BitBtn4, IdBitBtn4, bounds(9, 7, 80, 25), PictureButtonStop, [this] { model_.BitBtn4Click(); });
    // Now reports its own errors; whether it ran to its end matters only to the dialog.
    button(band, model_.BitBtn1, IdBitBtn1, bounds(89, 7, 80, 25), PictureButtonNow, [this] { model_.BitBtn1Click(); });
    button(band, model_.BitBtn3, IdBitBtn3, bounds(169, 7, 80, 25), PictureButtonOption,
        [this] { model_.BitBtn3Click(); });
}

void TForm1::buildProgress(HWND band, const TForm1ModeControls& c)
{
    const POINT at { 3, 4 };
    const auto display = [&](EventKind kind) {
        const auto& named = c.Displays[static_cast<std::size_t>(kind)];
        return panel(band, named.Model, named.Id, at);
    };
    const auto show
        = [this](HWND parent, const TNamed<TLabel>& named, RECT at) { label(parent, named.Model, named.Id, at); };
    const HWND countdown = display(EventKind::Countdown);
    text(countdown, "Time Left :", bounds(6, 2, 60, 16));
    show(countdown, c.TimeLeft, bounds(68, 2, 130, 16));
    show(countdown, c.MinutesLeft, bounds(200, 2, 50, 16));
    // The bar repeats what the text says: a picture for the eye only, red over black.
    const HWND bar = panel(countdown, c.Bar.Model, c.Bar.Id, { 6, 21 });
    const HWND track = panel(countdown, c.Track.Model, c.Track.Id, { 6, 21 });
    ::SetWindowLongPtrA(bar, GWLP_USERDATA, static_cast<LONG_PTR>(RGB(0xFF, 0, 0)));
    ::SetWindowLongPtrA(track, GWLP_USERDATA, static_cast<LONG_PTR>(RGB(0, 0, 0)));
    for (const HWND window : { bar, track })
        ::SetWindowLongPtrA(window, GWL_STYLE, ::GetWindowLongPtrA(window, GWL_STYLE) | WS_CLIPSIBLINGS);

    const HWND onTime = display(EventKind::OnTime);
    text(onTime, "Time (Scheduled) :", bounds(6, 1, 100, 15));
    show(onTime, c.Scheduled, bounds(110, 1, 138, 15));
    text(onTime, "Time (Now) : ", bounds(6, 16, 100, 15));
    show(onTime, c.NowText, bounds(110, 16, 138, 15));

    const HWND process = display(EventKind::OnProcessStops);
    text(process, "Detecting Process :", bounds(6, 8, 104, 16));
    show(process, c.ProcessName, bounds(112, 8, 136, 16));

    const HWND cpu = display(EventKind::LowCpuUsage);
    text(cpu, "Percent Usage :", bounds(6, 1, 86, 15));
    show(cpu, c.CpuUsage, bounds(94, 1, 80, 15));
    text(cpu, "Time : ", bounds(6, 16, 40, 15));
    show(cpu, c.CpuTime, bounds(48, 16, 40, 15));
    text(cpu, "second", bounds(90, 16, 50, 15));
    edit(cpu, c.CpuSample.Model, c.CpuSample.Id, bounds(180, 4, 60, 21));

    const HWND battery = display(EventKind::BatteryLow);
    text(battery, "Battery Life : ", bounds(6, 8, 76, 16));
    show(battery, c.BatteryLife, bounds(84, 8, 80, 16));
    show(battery, c.BatteryPercentLeft, bounds(170, 8, 70, 16));
    std::vector<const TPanel*> stack;
    for (const auto& named : c.Displays)
        stack.push_back(&named.Model);
    stacks_.Add(std::move(stack));
}

// The tray icon and its menu PopupMenu1, whose items run the window's handlers.
void TForm1::buildTray()
{
    auto& m = model_;
    const auto run = [this](void (TForm1Model::*handler)()) {
        return [this, handler] { handle([this, handler] { (model_.*handler)(); }); };
    };
    popupMenu1_ = std::make_unique<TPopupMenu>(std::vector<TPopupMenu::Item> {
        { &m.ExitVespern1, PictureMenuExit, run(&TForm1Model::ExitVespern1Click) },
        { &m.Help1, PictureMenuHelp, run(&TForm1Model::Help1Click) },
        { &m.N2, 0, {} },
        { &m.ShowWindows1, 0, run(&TForm1Model::ShowWindows1Click) },
        { &m.N1, 0, {} },
        { &m.Forced1, 0, run(&TForm1Model::Forced1Click) },
        { &m.ShowMessage1, 0, run(&TForm1Model::ShowMessage1Click) },
        { &m.N3, 0, {} },
        { &m.Shutdown1, PictureMenuShutdown, run(&TForm1Model::Shutdown1Click) },
        { &m.Reboot1, PictureMenuReboot, run(&TForm1Model::Reboot1Click) },
        { &m.LogOff1, PictureMenuLogOff, run(&TForm1Model::LogOff1Click) },
        { &m.StandBy1, PictureMenuStandBy, run(&TForm1Model::StandBy1Click) },
        { &m.Hibernate1, PictureMenuHibernate, run(&TForm1Model::Hibernate1Click) },
        { &m.HangUp1, PictureMenuHangUp, run(&TForm1Model::HangUp1Click) },
        { &m.LockSwitchUser1, PictureMenuLock, run(&TForm1Model::LockSwitchUser1Click) },
        { &m.urnMonitorOff1, PictureMenuMonitorOff, run(&TForm1Model::urnMonitorOff1Click) },
        { &m.ShowScreensaver1, PictureMenuScreensaver, run(&TForm1Model::ShowScreensaver1Click) },
    });
    trayIcon1_
        = std::make_unique<TTrayIcon>(m.TrayIcon1, [this](const std::function<void()>& handler) { handle(handler); });
    trayIcon1_->SetPopupMenu(popupMenu1_.get());
    m.TrayIcon1.Attach(trayIcon1_.get());
    refreshers_.push_back([this] { popupMenu1_->Refresh(); });
}

void TForm1::Refresh()
{
    if (Handle() == nullptr)
        return;
    refreshing_ = true;
    passFocusToReplacement();
    for (const auto& refresh : refreshers_)
        refresh();
    layoutBands();
    refreshing_ = false;
    applyShowRequests();
    if (!model_.Visible && hasStyle(Handle(), WS_VISIBLE))
        ::ShowWindow(Handle(), SW_HIDE);
}

// The bands from the top, the hidden ones taking no room; the window fits them.
void TForm1::layoutBands()
{
    int top = 0;
    for (const auto& [window, model] : bands_) {
        if (!model->Visible)
            continue;
        const RECT at = childBounds(window);
        if (at.top != top)
            ::SetWindowPos(window, nullptr, 0, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        top += model->Height;
    }
    RECT client {};
    ::GetClientRect(Handle(), &client);
    if (client.bottom == top && client.right == ClientWidth)
        return;
    RECT frame { 0, 0, ClientWidth, top };
    ::AdjustWindowRectEx(&frame, MainWindowStyle, FALSE, MainWindowExStyle);
    ::SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Start and Stop stand at one place and take turns. The focus goes with them, before the focused
// one hides (which would hand the focus on to Now): a second press of the same key then undoes
// the first instead of running the action.
void TForm1::passFocusToReplacement()
{
    const HWND focused = ::GetFocus();
    const auto pass = [focused](HWND from, const TButton& fromModel, HWND to, const TButton& toModel) {
        if (focused != from || fromModel.Visible || !toModel.Visible)
            return;
        setVisible(to, true);
        setEnabled(to, toModel.Enabled);
        ::SetFocus(to);
    };
    pass(start_, model_.BitBtn2, stop_, model_.BitBtn4);
    pass(stop_, model_.BitBtn4, start_, model_.BitBtn2);
}

void TForm1::applyShowRequests()
{
    if (!mainShow_.Take(model_.MainWindowShow.Count))
        return;
    ::ShowWindow(Handle(), SW_SHOW);
    if (::IsIconic(Handle()) != FALSE)
        ::ShowWindow(Handle(), SW_RESTORE);
    ::SetForegroundWindow(Handle());
    // A window hidden while minimised comes back without the show message on some systems.
    shown();
}

void TForm1::shown()
{
    if (model_.Visible)
        return;
    model_.Visible = true;
    // The show handler runs once the window is up, as its own event.
    ::PostMessageA(Handle(), WmFormShow, 0, 0);
}

LRESULT TForm1::colour(HWND control, HDC context)
{
    if (control == computerName_) {
        ::SetTextColor(context, ComputerNameColour);
        ::SetBkColor(context, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    const bool isLink
        = std::any_of(links_.begin(), links_.end(), [control](const auto& entry) { return entry.first == control; });
    if (isLink) {
        ::SetTextColor(context, LinkColour);
        ::SetBkMode(context, TRANSPARENT);
        return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    }
    return NativeWindow::HandleMessage(
        WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context), reinterpret_cast<LPARAM>(control));
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const auto found = commands_.find(id);
        // Escape (IDCANCEL) and Enter with no default button (IDOK) do nothing here.
        if (!refreshing_ && found != commands_.end())
            found->second(HIWORD(wParam));
        return 0;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        const auto found = notifications_.find(static_cast<int>(header->idFrom));
        if (!refreshing_ && found != notifications_.end())
            found->second(header->code);
        return 0;
    }
    case WM_CTLCOLORSTATIC:
        return colour(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
    case WM_SHOWWINDOW:
        if (wParam != FALSE)
            shown();
        break;
    case WmFormShow:
        handle([this] { model_.FormShow(); });
        return 0;
    case WM_SIZE:
        // Hiding inside the minimise itself would leave the taskbar's animation behind.
        if (wParam == SIZE_MINIMIZED)
            ::PostMessageA(Handle(), WmMinimized, 0, 0);
        break;
    case WmMinimized:
        if (::IsIconic(Handle()) != FALSE)
            handle([this] { model_.FormMinimized(); });
        return 0;
    case WM_CLOSE:
        // Closing the main window ends the program; the windows go when the loop has ended.
        handle([this] { model_.Close(); });
        return 0;
    default:
        break;
    }
    return NativeWindow::HandleMessage(message, wParam, lParam);
}

} // namespace vespern::ui
