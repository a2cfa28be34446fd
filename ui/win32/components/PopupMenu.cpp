#include "PopupMenu.h"

#include "PngPicture.h"

#include <utility>

namespace vespern::ui {

namespace {

UINT commandOf(std::size_t index)
{
    return static_cast<UINT>(index + 1);
}

UINT stateOf(const TMenuItem& model)
{
    return (model.Checked ? MFS_CHECKED : MFS_UNCHECKED) | (model.Enabled ? MFS_ENABLED : MFS_DISABLED);
}

} // namespace

TPopupMenu::TPopupMenu(std::vector<Item> items)
    : items_(std::move(items))
    , menu_(::CreatePopupMenu())
{
    for (const auto& item : items_)
        pictures_.push_back(item.bitmapResource != 0 ? PngPicture(item.bitmapResource) : Picture());
    rebuild();
}

TPopupMenu::~TPopupMenu()
{
    ::DestroyMenu(menu_);
}

// A menu of the system has no hidden items: a hidden item is left out.
void TPopupMenu::rebuild()
{
    while (::GetMenuItemCount(menu_) > 0)
        ::DeleteMenu(menu_, 0, MF_BYPOSITION);
    shown_.assign(items_.size(), false);
    for (std::size_t index = 0; index < items_.size(); ++index) {
        shown_[index] = items_[index].model->Visible;
        if (shown_[index])
            insert(index);
    }
}

void TPopupMenu::insert(std::size_t index)
{
    const TMenuItem& model = *items_[index].model;
    MENUITEMINFOA info {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE;
    info.wID = commandOf(index);
    info.fState = stateOf(model);
    if (model.IsSeparator) {
        info.fType = MFT_SEPARATOR;
    } else {
        info.fMask |= MIIM_STRING;
        info.fType = model.RadioItem ? MFT_RADIOCHECK : MFT_STRING;
        info.dwTypeData = const_cast<char*>(model.Caption.c_str());
    }
    if (pictures_[index]) {
        info.fMask |= MIIM_BITMAP;
        info.hbmpItem = pictures_[index].Handle();
    }
    ::InsertMenuItemA(menu_, static_cast<UINT>(::GetMenuItemCount(menu_)), TRUE, &info);
}

void TPopupMenu::Refresh()
{
    for (std::size_t index = 0; index < items_.size(); ++index) {
        if (items_[index].model->Visible != shown_[index]) {
            rebuild();
            break;
        }
    }
    for (std::size_t index = 0; index < items_.size(); ++index) {
        if (!shown_[index])
            continue;
        MENUITEMINFOA info {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE;
        info.fState = stateOf(*items_[index].model);
        ::SetMenuItemInfoA(menu_, commandOf(index), FALSE, &info);
    }
}

void TPopupMenu::Popup(HWND owner, POINT at)
{
    if (OnPopup)
        OnPopup();
    Refresh();
    // The usual rules of a tray menu: its owner in the foreground while it tracks, so that a click
    // elsewhere closes it, and a message to the owner afterwards, so that a second opening works.
    ::SetForegroundWindow(owner);
    const BOOL command = ::TrackPopupMenu(
        menu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, owner, nullptr);
    ::PostMessageA(owner, WM_NULL, 0, 0);
    if (command > 0)
        Choose(static_cast<UINT>(command));
}

void TPopupMenu::Choose(UINT command)
{
    if (command == 0 || command > items_.size())
        return;
    Item& item = items_[command - 1];
    if (item.model->IsSeparator || !item.model->Enabled)
        return;
    if (item.model->AutoCheck)
        item.model->Checked = !item.model->Checked;
    if (item.click)
        item.click();
}

} // namespace vespern::ui
