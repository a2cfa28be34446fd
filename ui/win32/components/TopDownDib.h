#pragma once

#include "../WindowsApi.h"

namespace vespern::ui {

// The header of a 32-bit DIB whose rows run from the top, as a pixel buffer's do; a pixel reads
// 0x00RRGGBB.
inline BITMAPINFO TopDownDib(int width, int height)
{
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A DIB section of that header; bits receives its pixels.
inline HBITMAP CreateTopDownDibSection(int width, int height, void** bits)
{
    const BITMAPINFO info = TopDownDib(width, height);
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

} // namespace vespern::ui
