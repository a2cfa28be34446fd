#include "PixelBuffer.h"

#include <algorithm>
#include <cstdlib>

namespace vespern {

PixelBuffer::PixelBuffer(int width, int height, TColor background)
    : width_(std::max(width, 0))
    , height_(std::max(height, 0))
    , pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), background & 0xFFFFFF)
{
}

TColor PixelBuffer::Pixel(int x, int y) const
{
    if (!Contains(x, y))
        return 0;
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

void PixelBuffer::SetPixel(int x, int y, TColor color)
{
    if (Contains(x, y))
        pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)]
            = color & 0xFFFFFF;
}

void PixelBuffer::SetPen(int width, TColor color)
{
    penWidth_ = std::max(width, 1);
    penColor_ = color & 0xFFFFFF;
}

void PixelBuffer::MoveTo(int x, int y)
{
    penX_ = x;
    penY_ = y;
}

// A wider pen stamps a square of its width centred on each point of the line.
void PixelBuffer::Plot(int x, int y)
{
    if (penWidth_ == 1) {
        SetPixel(x, y, penColor_);
        return;
    }
    const int first = -(penWidth_ - 1) / 2;
    for (int dy = first; dy < first + penWidth_; ++dy)
        for (int dx = first; dx < first + penWidth_; ++dx)
            SetPixel(x + dx, y + dy, penColor_);
}

// Bresenham's walk from the pen position towards (x, y), stopping one point short of it.
void PixelBuffer::LineTo(int x, int y)
{
    const long long dx = std::llabs(static_cast<long long>(x) - penX_);
    const long long dy = -std::llabs(static_cast<long long>(y) - penY_);
    const int sx = penX_ < x ? 1 : -1;
    const int sy = penY_ < y ? 1 : -1;
    long long error = dx + dy;
    int cx = penX_;
    int cy = penY_;
    while (cx != x || cy != y) {
        Plot(cx, cy);
        const long long twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            cx += sx;
        }
        if (twice <= dx) {
            error += dx;
            cy += sy;
        }
    }
    MoveTo(x, y);
}

int PixelBuffer::TextWidth(TextRenderer& renderer, const std::string& text) const
{
    return renderer.TextWidth(font_, text);
}

int PixelBuffer::TextHeight(TextRenderer& renderer, const std::string& text) const
{
    return renderer.TextHeight(font_, text);
}

void PixelBuffer::TextOut(TextRenderer& renderer, int x, int y, const std::string& text)
{
    renderer.TextOut(*this, font_, x, y, text);
}

} // namespace vespern
