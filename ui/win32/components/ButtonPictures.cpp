#include "ButtonPictures.h"

#include "PngPicture.h"

namespace vespern::ui {

namespace {

// The picture's space from the button's left edge; the caption follows it.
constexpr RECT PictureMargin { 4, 0, 0, 0 };

bool setImageList(HWND button, HIMAGELIST list)
{
    BUTTON_IMAGELIST image { list, PictureMargin, BUTTON_IMAGELIST_ALIGN_LEFT };
    return ::SendMessageA(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&image)) != FALSE;
}

} // namespace

ButtonPictures::~ButtonPictures()
{
    for (const auto& [button, list] : lists_) {
        // A button that outlives its list must not draw from it.
        if (::IsWindow(button) != FALSE)
            setImageList(button, nullptr);
        ::ImageList_Destroy(list);
    }
}

void ButtonPictures::Attach(HWND button, int pictureId)
{
    const Picture picture = PngPicture(pictureId);
    if (!picture)
        return;
    HIMAGELIST list = ::ImageList_Create(picture.Width(), picture.Height(), ILC_COLOR32, 1, 0);
    if (list == nullptr)
        return;
    if (::ImageList_Add(list, picture.Handle(), nullptr) < 0 || !setImageList(button, list)) {
        ::ImageList_Destroy(list);
        return;
    }
    lists_.emplace_back(button, list);
}

} // namespace vespern::ui
