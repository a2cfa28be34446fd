#include "core/TGradientPanel.h"
#include "support/FakeTextRenderer.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

constexpr TColor desertLight = 0xD58F00;
constexpr TColor desertDark = 0x9B6900;

TGradientPanel panelOf(int width, int height)
{
    TGradientPanel panel;
    panel.Width = width;
    panel.Height = height;
    return panel;
}

TEST(TGradientPanel, NewPanelPaintsTheDesertGradientWithARaisedBevel)
{
    TGradientPanel panel = panelOf(10, 8);
    EXPECT_EQ(panel.ColorScheme(), TColorScheme::csDesert);
    EXPECT_EQ(panel.FillDirection(), TFillDirection::fdVertical);
    FakeTextRenderer text;
    const PixelBuffer canvas = panel.Paint(text);
    // From white to #FFE1A4 in 8 steps: green falls by 3.75 and blue by 11.375 per row; halves
    // go to the even neighbour (247.5 -> 248, 209.5 -> 210, 232.5 -> 232).
    EXPECT_EQ(canvas.Pixel(5, 1), 0xFFFBF4u);
    EXPECT_EQ(canvas.Pixel(5, 2), 0xFFF8E8u);
    EXPECT_EQ(canvas.Pixel(5, 4), 0xFFF0D2u);
    EXPECT_EQ(canvas.Pixel(5, 6), 0xFFE8BBu);
    EXPECT_EQ(canvas.Pixel(0, 0), desertLight);
    EXPECT_EQ(canvas.Pixel(0, 7), desertLight);
    EXPECT_EQ(canvas.Pixel(5, 0), desertLight);
    EXPECT_EQ(canvas.Pixel(0, 4), desertLight);
    EXPECT_EQ(canvas.Pixel(9, 0), desertDark);
    EXPECT_EQ(canvas.Pixel(9, 4), desertDark);
    EXPECT_EQ(canvas.Pixel(9, 7), desertDark);
    EXPECT_EQ(canvas.Pixel(5, 7), desertDark);
    EXPECT_TRUE(text.drawn.empty());
}

TEST(TGradientPanel, OneColourMakesTheSchemeCustomAndKeepsTheOthers)
{
    TGradientPanel panel;
    int repaints = 0;
    panel.OnInvalidate = [&] { ++repaints; };
    panel.SetColorScheme(TColorScheme::csSky);
    panel.SetColorGrad(0x112233);
    EXPECT_EQ(panel.ColorScheme(), TColorScheme::csCustom);
    EXPECT_EQ(panel.ColorFace(), 0xFFFFFFu);
    EXPECT_EQ(panel.ColorGrad(), 0x112233u);
    EXPECT_EQ(panel.ColorLight(), 0x4D96F0u);
    EXPECT_EQ(panel.ColorDark(), 0x0059B3u);

    panel.SetColorScheme(TColorScheme::csCustom);
    EXPECT_EQ(panel.ColorGrad(), 0x112233u);
    EXPECT_EQ(panel.ColorLight(), 0x4D96F0u);
    panel.SetFillDirection(TFillDirection::fdDiagonal);
    EXPECT_EQ(repaints, 4);
}

TEST(TGradientPanel, PresetsReplaceAllFourColours)
{
    TGradientPanel panel;
    panel.SetColorFace(0x010101);
    panel.SetColorScheme(TColorScheme::csRose);
    EXPECT_EQ(panel.ColorFace(), 0xFFFFFFu);
    EXPECT_EQ(panel.ColorGrad(), 0xFFCCCCu);
    EXPECT_EQ(panel.ColorLight(), 0xCC5106u);
    EXPECT_EQ(panel.ColorDark(), 0x9D0000u);
}

TEST(TGradientPanel, SpaceBevelIsDrawnLikeRaised)
{
    FakeTextRenderer text;
    TGradientPanel raised = panelOf(9, 7);
    raised.BevelInner = TBevelCut::bvRaised;
    raised.BevelWidth = 2;
    TGradientPanel space = raised;
    space.BevelOuter = TBevelCut::bvSpace;
    space.BevelInner = TBevelCut::bvSpace;
    const PixelBuffer a = raised.Paint(text);
    const PixelBuffer b = space.Paint(text);
    EXPECT_TRUE(std::ranges::equal(a.Pixels(), b.Pixels()));
}

TEST(TGradientPanel, RaisedOuterAndLoweredInnerRings)
{
    TGradientPanel panel = panelOf(12, 10);
    panel.BevelOuter = TBevelCut::bvRaised;
    panel.BevelInner = TBevelCut::bvLowered;
    panel.BevelWidth = 2;
    FakeTextRenderer text;
    const PixelBuffer canvas = panel.Paint(text);
    for (int d = 0; d < 4; ++d) {
        const TColor topLeft = d < 2 ? desertLight : desertDark;
        const TColor bottomRight = d < 2 ? desertDark : desertLight;
        SCOPED_TRACE(d);
        EXPECT_EQ(canvas.Pixel(d, 5), topLeft); // left edge
        EXPECT_EQ(canvas.Pixel(6, d), topLeft); // top edge
        EXPECT_EQ(canvas.Pixel(d, d), topLeft); // top-left corner
        EXPECT_EQ(canvas.Pixel(d, 9 - d), topLeft); // bottom-left corner
        EXPECT_EQ(canvas.Pixel(11 - d, 5), bottomRight); // right edge
        EXPECT_EQ(canvas.Pixel(6, 9 - d), bottomRight); // bottom edge
        EXPECT_EQ(canvas.Pixel(11 - d, d), bottomRight); // top-right corner
    }
    EXPECT_NE(canvas.Pixel(4, 5), desertLight);
    EXPECT_NE(canvas.Pixel(4, 5), desertDark);
}

struct CaptionCase {
    TAlignment alignment;
    TBevelCut inner;
    int height;
    int x;
    int y;
};

// Panel 101 wide, bevel width 3, caption "abc" 18 pixels wide, text height 10.
class CaptionPlacement : public testing::TestWithParam<CaptionCase> { };

TEST_P(CaptionPlacement, FollowsAlignmentAndBevels)
{
    const CaptionCase& c = GetParam();
    TGradientPanel panel = panelOf(101, c.height);
    panel.Caption = "abc";
    panel.Font.Color = 0x00FF00;
    panel.Alignment = c.alignment;
    panel.BevelInner = c.inner;
    panel.BevelWidth = 3;
    FakeTextRenderer text;
    panel.Paint(text);
    ASSERT_EQ(text.drawn.size(), 1u);
    EXPECT_EQ(text.drawn[0].x, c.x);
    EXPECT_EQ(text.drawn[0].y, c.y);
    EXPECT_EQ(text.drawn[0].text, "abc");
    EXPECT_EQ(text.drawn[0].font, panel.Font);
}

INSTANTIATE_TEST_SUITE_P(TGradientPanel, CaptionPlacement,
    testing::Values(CaptionCase { TAlignment::taLeftJustify, TBevelCut::bvLowered, 25, 2 * 3 + 2, 7 },
        CaptionCase { TAlignment::taLeftJustify, TBevelCut::bvNone, 25, 3 + 2, 7 },
        CaptionCase { TAlignment::taRightJustify, TBevelCut::bvNone, 25, 101 - 3 - 2 - 18, 7 },
        CaptionCase { TAlignment::taRightJustify, TBevelCut::bvRaised, 25, 101 - 3 - 2 - 18 - 3, 7 },
        CaptionCase { TAlignment::taCenter, TBevelCut::bvLowered, 25, 41, 7 },
        // (5 - 10) / 2 truncates toward zero.
        CaptionCase { TAlignment::taCenter, TBevelCut::bvNone, 5, 41, -2 }));

TEST(TGradientPanel, HorizontalAndDiagonalFills)
{
    PixelBuffer canvas(4, 3);
    TGradientPanel::FillGradient(canvas, 4, 3, 0x000000, 0x0000FF, TFillDirection::fdHorizontal);
    // 63.75 per column; the last line, exactly the end colour, falls beyond the right edge.
    EXPECT_EQ(canvas.Pixel(0, 2), 0x000000u);
    EXPECT_EQ(canvas.Pixel(1, 0), 0x000040u);
    EXPECT_EQ(canvas.Pixel(2, 1), 0x000080u); // 127.5 -> 128
    EXPECT_EQ(canvas.Pixel(3, 2), 0x0000BFu);

    PixelBuffer diagonal(4, 3, 0xFFFFFF);
    TGradientPanel::FillGradient(diagonal, 4, 3, 0x000000, 0x00007F, TFillDirection::fdDiagonal);
    // Line i runs from (i, 0) towards (0, i); 127 / 7 per line.
    EXPECT_EQ(diagonal.Pixel(2, 1), 0x000036u); // line 3: 54.43
    EXPECT_EQ(diagonal.Pixel(3, 2), 0x00005Bu); // line 5: 90.71
    EXPECT_EQ(diagonal.Pixel(0, 1), 0xFFFFFFu); // each line's end point stays untouched
}

TEST(TGradientPanel, FillDrawsNPlusOneLinesWithoutTheirEndPoints)
{
    // A bitmap larger than the filled rectangle shows the last line and the missing end points.
    PixelBuffer canvas(6, 5, 0xFFFFFF);
    TGradientPanel::FillGradient(canvas, 4, 3, 0x000000, 0x000030, TFillDirection::fdVertical);
    EXPECT_EQ(canvas.Pixel(0, 0), 0x000000u);
    EXPECT_EQ(canvas.Pixel(3, 2), 0x000020u);
    EXPECT_EQ(canvas.Pixel(0, 3), 0x000030u); // line N carries the end colour
    EXPECT_EQ(canvas.Pixel(3, 3), 0x000030u);
    EXPECT_EQ(canvas.Pixel(4, 3), 0xFFFFFFu); // its end point (W, N)
    EXPECT_EQ(canvas.Pixel(4, 0), 0xFFFFFFu);
    EXPECT_EQ(canvas.Pixel(0, 4), 0xFFFFFFu); // no line N + 1
}

TEST(TGradientPanel, ZeroSizesDrawNothing)
{
    FakeTextRenderer text;
    for (const auto& [width, height] : { std::pair { 0, 10 }, std::pair { 10, 0 }, std::pair { -4, 3 } }) {
        TGradientPanel panel = panelOf(width, height);
        panel.Caption = "x";
        EXPECT_EQ(panel.Paint(text).Pixels().size(), 0u);
    }
    EXPECT_TRUE(text.drawn.empty());

    // Zero steps in the fill direction: no line and no division.
    PixelBuffer canvas(3, 3, 0xABCDEF);
    TGradientPanel::FillGradient(canvas, 0, 3, 0x000000, 0xFFFFFF, TFillDirection::fdHorizontal);
    TGradientPanel::FillGradient(canvas, 3, 0, 0x000000, 0xFFFFFF, TFillDirection::fdVertical);
    TGradientPanel::FillGradient(canvas, 0, 0, 0x000000, 0xFFFFFF, TFillDirection::fdDiagonal);
    TGradientPanel::DrawBevel(canvas, 0, 0, 0, 0);
    for (TColor pixel : canvas.Pixels())
        EXPECT_EQ(pixel, 0xABCDEFu);
}

} // namespace
} // namespace vespern::test
