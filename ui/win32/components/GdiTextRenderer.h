#pragma once

#include "../WindowsApi.h"
#include "GdiObject.h"
#include "core/PixelBuffer.h"

namespace vespern::ui {

// The font of the system for a core font: its character height in pixels, its weight and face.
GdiObject<HFONT> CreateGdiFont(const TFont& font);

// Glyphs of the system's fonts, drawn into a pixel buffer with a clear brush.
class GdiTextRenderer final : public TextRenderer {
public:
    int TextWidth(const TFont& font, const std::string& text) override;
    int TextHeight(const TFont& font, const std::string& text) override;
    void TextOut(PixelBuffer& target, const TFont& font, int x, int y, const std::string& text) override;
};

} // namespace vespern::ui
