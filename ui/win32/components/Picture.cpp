#include "Picture.h"

#include <utility>

namespace vespern::ui {

Picture::Picture(HBITMAP bitmap, int width, int height)
    : bitmap_(bitmap)
    , width_(width)
    , height_(height)
{
}

Picture::~Picture()
{
    if (bitmap_ != nullptr)
        ::DeleteObject(bitmap_);
}

Picture::Picture(Picture&& other) noexcept
    : bitmap_(std::exchange(other.bitmap_, nullptr))
    , width_(std::exchange(other.width_, 0))
    , height_(std::exchange(other.height_, 0))
{
}

Picture& Picture::operator=(Picture&& other) noexcept
{
    if (this != &other) {
        if (bitmap_ != nullptr)
            ::DeleteObject(bitmap_);
        bitmap_ = std::exchange(other.bitmap_, nullptr);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
    }
    return *this;
}

ResourceBytes RcDataResource(int id)
{
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10)); // RT_RCDATA
    if (found == nullptr)
        return {};
    HGLOBAL loaded = ::LoadResource(module, found);
    if (loaded == nullptr)
        return {};
    // Resources stay mapped for the life of the program; there is nothing to free.
    return { ::LockResource(loaded), ::SizeofResource(module, found) };
}

} // namespace vespern::ui
