#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vespern {

using TColor = std::uint32_t; // 0xRRGGBB

struct TFont {
    std::string Name = "Tahoma";
    int Height = 11; // character height in pixels
    bool Bold = false;
    TColor Color = 0x000000;
    bool operator==(const TFont&) const = default;
};

class PixelBuffer;

// Measures and draws text for a canvas; the toolkit supplies the glyphs. Text is always drawn
// with a clear brush: only the glyphs' own pixels change.
class TextRenderer {
public:
    virtual ~TextRenderer() = default;
    virtual int TextWidth(const TFont& font, const std::string& text) = 0;
    virtual int TextHeight(const TFont& font, const std::string& text) = 0;
    // (x, y) is the top-left corner of the text's cell.
    virtual void TextOut(PixelBuffer& target, const TFont& font, int x, int y, const std::string& text) = 0;
};

// An off-screen bitmap with the few canvas operations the painted controls use. Lines follow the
// system's rule: the end point is not drawn, and whatever falls outside the bitmap is dropped.
class PixelBuffer {
public:
    PixelBuffer(int width, int height, TColor background = 0x000000);

    int Width() const { return width_; }
    int Height() const { return height_; }
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);
    std::span<const TColor> Pixels() const { return pixels_; }

    void SetPen(int width, TColor color);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);

    void SetFont(const TFont& font) { font_ = font; }
    const TFont& Font() const { return font_; }
    int TextWidth(TextRenderer& renderer, const std::string& text) const;
    int TextHeight(TextRenderer& renderer, const std::string& text) const;
    void TextOut(TextRenderer& renderer, int x, int y, const std::string& text);

private:
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    void Plot(int x, int y);

    int width_;
    int height_;
    std::vector<TColor> pixels_;
    int penWidth_ = 1;
    TColor penColor_ = 0x000000;
    int penX_ = 0;
    int penY_ = 0;
    TFont font_;
};

} // namespace vespern
