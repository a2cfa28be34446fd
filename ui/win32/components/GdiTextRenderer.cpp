#include "GdiTextRenderer.h"

#include "TopDownDib.h"

#include <cstring>

namespace vespern::ui {

namespace {

// A memory device context with a font selected, restored and released when it goes.
class FontContext {
public:
    explicit FontContext(const TFont& font)
        : context_(::CreateCompatibleDC(nullptr))
        , font_(CreateGdiFont(font))
        , previous_(::SelectObject(context_, font_.get()))
    {
    }
    ~FontContext()
    {
        ::SelectObject(context_, previous_);
        ::DeleteDC(context_);
    }
    FontContext(const FontContext&) = delete;
    FontContext& operator=(const FontContext&) = delete;

    HDC get() const { return context_; }
    SIZE Extent(const std::string& text) const
    {
        SIZE size {};
        ::GetTextExtentPoint32A(context_, text.c_str(), static_cast<int>(text.size()), &size);
        return size;
    }

private:
    HDC context_;
    GdiObject<HFONT> font_;
    HGDIOBJ previous_;
};

COLORREF colorRef(TColor color)
{
    return RGB(color >> 16 & 0xFF, color >> 8 & 0xFF, color & 0xFF);
}

} // namespace

GdiObject<HFONT> CreateGdiFont(const TFont& font)
{
    LOGFONTA description {};
    description.lfHeight = -(font.Height > 0 ? font.Height : 1); // negative: the character height
    description.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    const std::size_t length = std::min(font.Name.size(), sizeof description.lfFaceName - 1);
    std::memcpy(description.lfFaceName, font.Name.data(), length);
    return GdiObject<HFONT>(::CreateFontIndirectA(&description));
}

int GdiTextRenderer::TextWidth(const TFont& font, const std::string& text)
{
    return FontContext(font).Extent(text).cx;
}

int GdiTextRenderer::TextHeight(const TFont& font, const std::string& text)
{
    return FontContext(font).Extent(text).cy;
}

void GdiTextRenderer::TextOut(PixelBuffer& target, const TFont& font, int x, int y, const std::string& text)
{
    const int width = target.Width();
    const int height = target.Height();
    if (text.empty() || width <= 0 || height <= 0)
        return;
    // The text is drawn over a copy of the picture; a 32-bit pixel of the copy reads 0x00RRGGBB,
    // the buffer's own order.
    void* bits = nullptr;
    GdiObject<HBITMAP> copy(CreateTopDownDibSection(width, height, &bits));
    if (!copy)
        return;
    auto* pixels = static_cast<TColor*>(bits);
    std::memcpy(pixels, target.Pixels().data(), target.Pixels().size_bytes());
    {
        FontContext context(font);
        const HGDIOBJ previous = ::SelectObject(context.get(), copy.get());
        ::SetBkMode(context.get(), TRANSPARENT);
        ::SetTextColor(context.get(), colorRef(font.Color));
        ::TextOutA(context.get(), x, y, text.c_str(), static_cast<int>(text.size()));
        ::GdiFlush();
        ::SelectObject(context.get(), previous);
    }
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            target.SetPixel(column, row, pixels[row * width + column] & 0xFFFFFF);
}

} // namespace vespern::ui
