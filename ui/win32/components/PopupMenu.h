#pragma once

#include "../WindowsApi.h"
#include "Picture.h"
#include "core/Controls.h"

#include <functional>
#include <vector>

namespace vespern::ui {

// A popup menu of the system built from the model's menu items, top to bottom: captions,
// separators, check and radio items, and a picture beside an item's caption at its own size.
class TPopupMenu {
public:
    struct Item {
        TMenuItem* model = nullptr;
        int bitmapResource = 0; // a PNG picture among the program's RCDATA resources; 0 for none
        // Runs the item's handler as a user-interface event. An AutoCheck item has toggled
        // model->Checked before it runs.
        std::function<void()> click;
    };

    explicit TPopupMenu(std::vector<Item> items);
    ~TPopupMenu();
    TPopupMenu(const TPopupMenu&) = delete;
    TPopupMenu& operator=(const TPopupMenu&) = delete;

    // Asked just before the menu opens (the menu's on-popup event).
    std::function<void()> OnPopup;

    // Shows the models' check marks, enabled states and visibility.
    void Refresh();
    // Opens the menu with its top-left corner at the screen point and runs the chosen item's
    // click. owner becomes the foreground window while the menu shows, so that a click
    // elsewhere closes it; it must be a window of this thread.
    void Popup(HWND owner, POINT at);
    // What choosing the item with this command does; an item's command is its index + 1.
    void Choose(UINT command);

    HMENU Handle() const { return menu_; }

private:
    void rebuild();
    void insert(std::size_t index);

    std::vector<Item> items_;
    std::vector<Picture> pictures_;
    std::vector<bool> shown_; // the visibility the menu shows
    HMENU menu_;
};

} // namespace vespern::ui
