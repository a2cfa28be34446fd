#pragma once

#include "../WindowsApi.h"

#include <commctrl.h>

#include <utility>
#include <vector>

namespace vespern::ui {

// The pictures at the left of a window's button captions, one image list each (what version 6
// buttons draw, with the pictures' alpha). It lives as long as the window that shows them.
class ButtonPictures {
public:
    ButtonPictures() = default;
    ~ButtonPictures();
    ButtonPictures(const ButtonPictures&) = delete;
    ButtonPictures& operator=(const ButtonPictures&) = delete;

    // Puts the PNG picture of the resource id before the button's caption. A picture that does
    // not decode, or buttons older than version 6, leave the caption alone.
    void Attach(HWND button, int pictureId);

private:
    std::vector<std::pair<HWND, HIMAGELIST>> lists_;
};

} // namespace vespern::ui
