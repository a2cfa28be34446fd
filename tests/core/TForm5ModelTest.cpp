#include "core/TForm5Model.h"
#include "support/FakeTextRenderer.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

constexpr TColor light = 0xD58F00;
constexpr TColor dark = 0x9B6900;

TEST(TForm5Model, AboutBoxPanelKeepsItsCustomBlueColours)
{
    TForm5Model about;
    const TGradientPanel& panel = about.GradientPanel1;
    EXPECT_EQ(panel.ColorScheme(), TColorScheme::csCustom);
    EXPECT_EQ(panel.ColorFace(), 0x8888FFu);
    EXPECT_EQ(panel.ColorGrad(), 0x0000FFu);
    EXPECT_EQ(panel.ColorLight(), light);
    EXPECT_EQ(panel.ColorDark(), dark);
    EXPECT_EQ(panel.Width, about.ClientWidth);
    EXPECT_EQ(panel.Height, about.ClientHeight);
    EXPECT_EQ(about.Label2.Caption, std::string(29, '_'));
}

TEST(TForm5Model, AboutBoxGradientRowsAndBevelCorners)
{
    TForm5Model about;
    FakeTextRenderer text;
    const PixelBuffer canvas = about.GradientPanel1.Paint(text);
    ASSERT_EQ(canvas.Width(), 361);
    ASSERT_EQ(canvas.Height(), 209);
    EXPECT_EQ(canvas.Pixel(180, 1), 0x8787FFu);
    EXPECT_EQ(canvas.Pixel(180, 207), 0x0101FFu);
    const int right = canvas.Width() - 1;
    const int bottom = canvas.Height() - 1;
    for (int x = 0; x < right; ++x)
        ASSERT_EQ(canvas.Pixel(x, 0), light) << "top row at " << x;
    EXPECT_EQ(canvas.Pixel(right, 0), dark);
    for (int y = 0; y <= bottom; ++y) {
        ASSERT_EQ(canvas.Pixel(0, y), light) << "left column at " << y;
        if (y > 0) {
            ASSERT_EQ(canvas.Pixel(right, y), dark) << "right column at " << y;
        }
    }
    for (int x = 1; x <= right; ++x)
        ASSERT_EQ(canvas.Pixel(x, bottom), dark) << "bottom row at " << x;
    EXPECT_TRUE(text.drawn.empty());
}

TEST(TForm5Model, ShowAndCloseOnlyChangeVisibility)
{
    TForm5Model about;
    EXPECT_FALSE(about.Visible);
    about.Show();
    about.Show();
    EXPECT_TRUE(about.Visible);
    EXPECT_EQ(about.ShowCount, 2U);
    about.Close();
    EXPECT_FALSE(about.Visible);
}

} // namespace
} // namespace vespern::test
