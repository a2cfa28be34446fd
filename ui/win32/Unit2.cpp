#include "Unit2.h"

#include "DialogSupport.h"
#include "Win32FileOpenDialog.h"
#include "components/ResourceIds.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

namespace vespern::ui {

namespace {

constexpr int ClientWidth = 260;
constexpr int ClientHeight = 193;
// The pages lie on the tab control, which lies at the window's corner: their places are the
// window's. "General" sits one pixel off the other two.
constexpr POINT GeneralPage { 4, 24 };
constexpr POINT OtherPages { 5, 25 };

RECT on(POINT origin, RECT bounds)
{
    return { origin.x + bounds.left, origin.y + bounds.top, origin.x + bounds.right, origin.y + bounds.bottom };
}

POINT operator+(POINT a, POINT b)
{
    return { a.x + b.x, a.y + b.y };
}

constexpr DWORD CheckBoxStyle = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD ButtonStyle = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD GroupStyle = BS_GROUPBOX | WS_GROUP;

} // namespace

TForm2::TForm2(TForm2Model& model, const TForm1Model& form1, UiEvents& events, HWND owner, FileOpenDialog* fileDialog)
    : model_(model)
    , form1_(form1)
    , events_(events)
    , owner_(owner)
{
    INITCOMMONCONTROLSEX classes { sizeof classes, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES };
    ::InitCommonControlsEx(&classes);
    CreateNative("TForm2", model_.Caption.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
        WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, ClientWidth, ClientHeight, owner_);
    ownDialog_ = fileDialog ? nullptr : std::make_unique<Win32FileOpenDialog>(Handle());
    fileDialog_ = fileDialog ? fileDialog : ownDialog_.get();

    // "Option pages" names the tab row for a screen reader.
    tabs_ = CreateControl(Handle(), WC_TABCONTROLA, "Option pages", WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS,
        Bounds(0, 0, ClientWidth, 161), +TForm2Id::TabControl1);
    for (const auto& tab : model_.TabControl1.Tabs) {
        TCITEMA item {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(tab.c_str());
        const auto index = ::SendMessageA(tabs_, TCM_GETITEMCOUNT, 0, 0);
        ::SendMessageA(tabs_, TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
    buildGeneral();
    buildOnAction();
    buildShortcut();
    buildButtons();
    // Every control clips away the siblings above it: the group boxes go below the controls they
    // frame, and the tab control below all, so that each one's painting leaves the others alone.
    for (const int group : { +TForm2Id::GroupBox1, +TForm2Id::GroupBox2, +TForm2Id::TabControl1 })
        ::SetWindowPos(
            ::GetDlgItem(Handle(), group), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    events_.AddView(this, [this] { Refresh(); });
    Refresh();
}

TForm2::~TForm2()
{
    events_.RemoveView(this);
}

HWND TForm2::addControl(Page& page, const char* className, const std::string& text, DWORD style, RECT bounds, int id)
{
    const HWND control = CreateControl(Handle(), className, text.c_str(), style | WS_CLIPSIBLINGS, bounds, id);
    page.push_back(control);
    return control;
}

void TForm2::addCheckBox(Page& page, TCheckBox& box, RECT bounds, int id)
{
    const HWND window = addControl(page, "BUTTON", box.Caption, CheckBoxStyle, bounds, id);
    FitCheckBoxToCaption(window, ClientWidth - 12); // inside the frames of the pages
    checkBoxes_.push_back({ window, &box });
}

void TForm2::buildGeneral()
{
    Page& page = pages_[0];
    // Created in the keyboard's order: the recycle bin, start-up and on-top first.
    addCheckBox(page, model_.empty, on(GeneralPage, Bounds(8, 47, 201, 17)), +TForm2Id::empty);
    addCheckBox(page, model_.startup, on(GeneralPage, Bounds(8, 28, 169, 17)), +TForm2Id::startup);
    addCheckBox(page, model_.ontop, on(GeneralPage, Bounds(8, 9, 97, 17)), +TForm2Id::ontop);
    addCheckBox(page, model_.CheckBox1, on(GeneralPage, Bounds(8, 67, 241, 17)), +TForm2Id::CheckBox1);
    addCheckBox(page, model_.Hideshutdwnbtn, on(GeneralPage, Bounds(8, 87, 193, 17)), +TForm2Id::Hideshutdwnbtn);
    addCheckBox(page, model_.CheckBox4, on(GeneralPage, Bounds(9, 107, 193, 17)), +TForm2Id::CheckBox4);
}

void TForm2::buildOnAction()
{
    Page& page = pages_[1];
    addCheckBox(page, model_.CheckBox3, on(OtherPages, Bounds(8, 13, 201, 17)), +TForm2Id::CheckBox3);
    const POINT group = OtherPages + POINT { 7, 33 };
    groupBox1_.push_back(addControl(page, "BUTTON", model_.GroupBox1.Caption, GroupStyle,
        on(OtherPages, Bounds(7, 33, 239, 92)), +TForm2Id::GroupBox1));
    // The label just before the edit names it.
    groupBox1_.push_back(addControl(
        page, "STATIC", model_.Label1.Caption, SS_LEFT, on(group, Bounds(7, 18, 105, 13)), +TForm2Id::Label1));
    edit1_ = addControl(page, "EDIT", model_.Edit1.Text, ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP,
        on(group, Bounds(6, 36, 226, 21)), +TForm2Id::Edit1);
    groupBox1_.push_back(edit1_);
    const HWND browse = addControl(
        page, "BUTTON", model_.BitBtn3.Caption, ButtonStyle, on(group, Bounds(157, 61, 75, 25)), +TForm2Id::BitBtn3);
    buttonPictures_.Attach(browse, PictureButtonBrowse);
    groupBox1_.push_back(browse);
}

void TForm2::buildShortcut()
{
    Page& page = pages_[2];
    addControl(page, "BUTTON", model_.GroupBox2.Caption, GroupStyle, on(OtherPages, Bounds(6, 6, 239, 120)),
        +TForm2Id::GroupBox2);
    const POINT group = OtherPages + POINT { 6, 6 };
    constexpr std::array<RECT, DesktopActionFileTable.size()> places { Bounds(10, 19, 97, 17), Bounds(10, 36, 97, 17),
        Bounds(10, 54, 97, 17), Bounds(10, 73, 97, 17), Bounds(10, 91, 97, 17), Bounds(118, 22, 97, 17),
        Bounds(118, 37, 105, 17), Bounds(118, 53, 113, 17), Bounds(118, 69, 97, 17) };
    for (std::size_t row = 0; row < places.size(); ++row)
        addCheckBox(
            page, model_.ShortcutBox(row), on(group, places[row]), +TForm2Id::shutdown_scut + static_cast<int>(row));
}

void TForm2::buildButtons()
{
    // Left to right, as they stand on the strip below the pages; their captions fill them, so
    // they carry no picture.
    CreateControl(Handle(), "BUTTON", model_.BitBtn2.Caption.c_str(), ButtonStyle | WS_VISIBLE, Bounds(84, 164, 83, 25),
        +TForm2Id::BitBtn2);
    CreateControl(Handle(), "BUTTON", model_.BitBtn1.Caption.c_str(), ButtonStyle | WS_VISIBLE,
        Bounds(171, 164, 83, 25), +TForm2Id::BitBtn1);
}

LRESULT TForm2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom != tabs_ || header->code != static_cast<UINT>(TCN_SELCHANGE))
            break;
        const int index = static_cast<int>(::SendMessageA(tabs_, TCM_GETCURSEL, 0, 0));
        events_.Handle([this, index] {
            model_.TabControl1.TabIndex = index;
            model_.TabControl1Change();
        });
        return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (onPage(reinterpret_cast<HWND>(lParam)))
            return pageBackground(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        break;
    case WM_THEMECHANGED:
        pageBrush_ = {};
        break;
    case WM_CLOSE:
        // The title-bar close hides the dialog as "Close" does.
        events_.Handle([this] { model_.BitBtn2Click(); });
        return 0;
    default:
        break;
    }
    return NativeWindow::HandleMessage(message, wParam, lParam);
}

bool TForm2::onPage(HWND control) const
{
    return std::any_of(std::begin(pages_), std::end(pages_),
        [control](const Page& page) { return std::find(page.begin(), page.end(), control) != page.end(); });
}

LRESULT TForm2::pageBackground(HDC context, HWND control)
{
    // The pages' controls stand on the tab control's body, which a visual style may paint other
    // than the dialog: they take their background from a picture of that body.
    if (!pageBrush_) {
        RECT body {};
        ::GetClientRect(tabs_, &body);
        const HDC screen = ::GetDC(tabs_);
        const HDC memory = ::CreateCompatibleDC(screen);
        GdiObject<HBITMAP> picture(::CreateCompatibleBitmap(screen, body.right, body.bottom));
        const HGDIOBJ previous = ::SelectObject(memory, picture.get());
        ::SendMessageA(tabs_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
        ::SelectObject(memory, previous);
        ::DeleteDC(memory);
        ::ReleaseDC(tabs_, screen);
        pageBrush_ = GdiObject<HBRUSH>(::CreatePatternBrush(picture.get()));
    }
    POINT origin {};
    ::MapWindowPoints(control, tabs_, &origin, 1);
    ::SetBrushOrgEx(context, -origin.x, -origin.y, nullptr);
    ::SetBkMode(context, TRANSPARENT);
    return reinterpret_cast<LRESULT>(pageBrush_.get());
}

void TForm2::onCommand(int id, int code)
{
    if (id == IDCANCEL) {
        events_.Handle([this] { model_.BitBtn2Click(); });
        return;
    }
    if (id == IDOK) {
        PressFocusedButton(Handle());
        return;
    }
    if (code != BN_CLICKED)
        return;
    for (const auto& [window, box] : checkBoxes_) {
        if (::GetDlgCtrlID(window) != id)
            continue;
        const bool checked = ::SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
        TCheckBox* changed = box;
        events_.Handle([this, changed, checked] { model_.SetChecked(*changed, checked); });
        return;
    }
    switch (id) {
    case +TForm2Id::BitBtn1:
        events_.Handle([this] { model_.BitBtn1Click(); });
        break;
    case +TForm2Id::BitBtn2:
        events_.Handle([this] { model_.BitBtn2Click(); });
        break;
    case +TForm2Id::BitBtn3:
        events_.Handle([this] { model_.BitBtn3Click(*fileDialog_); });
        break;
    default:
        break;
    }
}

void TForm2::Refresh()
{
    for (const auto& [window, box] : checkBoxes_) {
        const WPARAM state = box->Checked ? BST_CHECKED : BST_UNCHECKED;
        if (static_cast<WPARAM>(::SendMessageA(window, BM_GETCHECK, 0, 0)) != state)
            ::SendMessageA(window, BM_SETCHECK, state, 0);
        EnableControl(window, box->Enabled);
    }
    for (const HWND control : groupBox1_)
        EnableControl(control, model_.GroupBox1.Enabled);
    SetControlText(edit1_, model_.Edit1.Text);
    if (::SendMessageA(tabs_, TCM_GETCURSEL, 0, 0) != model_.TabControl1.TabIndex)
        ::SendMessageA(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(model_.TabControl1.TabIndex), 0);
    refreshPages();
    refreshVisibility();
}

void TForm2::refreshPages()
{
    const std::array<const TPanel*, 3> panels { &model_.Panel2, &model_.Panel3, &model_.Panel4 };
    // Hide before showing, so that two pages never stand over each other.
    for (std::size_t i = 0; i < panels.size(); ++i)
        if (!panels[i]->Visible)
            for (const HWND control : pages_[i])
                ShowControl(control, false);
    for (std::size_t i = 0; i < panels.size(); ++i)
        if (panels[i]->Visible)
            for (const HWND control : pages_[i])
                ShowControl(control, true);
}

void TForm2::refreshVisibility()
{
    const bool frontRequested = frontRequests_.Take(form1_.Form2Show.Count);
    FollowVisibility(Handle(), owner_, model_.Visible, frontRequested);
}

} // namespace vespern::ui
