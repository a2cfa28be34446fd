#pragma once

#include "../WindowsApi.h"

namespace vespern::ui {

// Owns one bitmap (a 32-bit top-down DIB section or a bitmap a decoder gave) and its size.
class Picture {
public:
    Picture() = default;
    Picture(HBITMAP bitmap, int width, int height);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    Picture(Picture&& other) noexcept;
    Picture& operator=(Picture&& other) noexcept;

    HBITMAP Handle() const { return bitmap_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    explicit operator bool() const { return bitmap_ != nullptr; }

private:
    HBITMAP bitmap_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// The bytes of a resource of type RCDATA in the program's file; empty when there is none.
struct ResourceBytes {
    const void* data = nullptr;
    DWORD size = 0;
};
ResourceBytes RcDataResource(int id);

} // namespace vespern::ui
