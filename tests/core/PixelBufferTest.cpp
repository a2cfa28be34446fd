#include "core/PixelBuffer.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

constexpr TColor ink = 0x123456;

// The pixels of one row as '#' (ink) and '.' (anything else).
std::string row(const PixelBuffer& canvas, int y)
{
    std::string text;
    for (int x = 0; x < canvas.Width(); ++x)
        text += canvas.Pixel(x, y) == ink ? '#' : '.';
    return text;
}

TEST(PixelBuffer, LinesLeaveTheirEndPointAndFallOffTheEdges)
{
    PixelBuffer canvas(8, 4);
    canvas.SetPen(1, ink);
    canvas.MoveTo(1, 0);
    canvas.LineTo(5, 0);
    EXPECT_EQ(row(canvas, 0), ".####...");
    canvas.MoveTo(-20, 1);
    canvas.LineTo(30, 1);
    EXPECT_EQ(row(canvas, 1), "########");
    canvas.MoveTo(3, 2);
    canvas.LineTo(3, 2); // a line to its own start draws nothing
    EXPECT_EQ(row(canvas, 2), "........");
}

TEST(PixelBuffer, LinesContinueFromTheLastEndPoint)
{
    PixelBuffer canvas(4, 4);
    canvas.SetPen(1, ink);
    canvas.MoveTo(0, 3);
    canvas.LineTo(0, 0);
    canvas.LineTo(3, 0);
    EXPECT_EQ(row(canvas, 0), "###.");
    EXPECT_EQ(row(canvas, 1), "#...");
    EXPECT_EQ(row(canvas, 3), "#...");
}

TEST(PixelBuffer, AntiDiagonalCoversOnePixelPerRow)
{
    PixelBuffer canvas(5, 5);
    canvas.SetPen(1, ink);
    canvas.MoveTo(4, 0);
    canvas.LineTo(0, 4);
    EXPECT_EQ(row(canvas, 0), "....#");
    EXPECT_EQ(row(canvas, 1), "...#.");
    EXPECT_EQ(row(canvas, 3), ".#...");
    EXPECT_EQ(row(canvas, 4), ".....");
}

TEST(PixelBuffer, WidePenStampsASquare)
{
    PixelBuffer canvas(6, 5);
    canvas.SetPen(3, ink);
    canvas.MoveTo(1, 2);
    canvas.LineTo(3, 2);
    EXPECT_EQ(row(canvas, 0), "......");
    EXPECT_EQ(row(canvas, 1), "####..");
    EXPECT_EQ(row(canvas, 2), "####..");
    EXPECT_EQ(row(canvas, 3), "####..");
}

TEST(PixelBuffer, OutsidePixelsAreIgnoredAndNegativeSizesAreEmpty)
{
    PixelBuffer canvas(2, 2, 0xFFFFFF);
    canvas.SetPixel(-1, 0, ink);
    canvas.SetPixel(2, 1, ink);
    EXPECT_EQ(canvas.Pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(canvas.Pixel(5, 5), 0u);
    EXPECT_EQ(PixelBuffer(-3, 4).Pixels().size(), 0u);
}

} // namespace
} // namespace vespern::test
