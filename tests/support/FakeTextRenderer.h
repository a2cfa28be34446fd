#pragma once

#include "core/PixelBuffer.h"

#include <string>
#include <vector>

namespace vespern::test {

// Every character is a cell of 6 x 10 pixels; TextOut records the call and fills the text's
// first pixel with the font colour.
class FakeTextRenderer final : public TextRenderer {
public:
    struct Drawn {
        int x;
        int y;
        std::string text;
        TFont font;
    };
    std::vector<Drawn> drawn;

    int TextWidth(const TFont&, const std::string& text) override { return 6 * static_cast<int>(text.size()); }
    int TextHeight(const TFont&, const std::string&) override { return 10; }
    void TextOut(PixelBuffer& target, const TFont& font, int x, int y, const std::string& text) override
    {
        drawn.push_back({ x, y, text, font });
        target.SetPixel(x, y, font.Color);
    }
};

} // namespace vespern::test
