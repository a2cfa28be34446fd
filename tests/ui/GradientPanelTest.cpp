#include "ui/qt/components/GradientPanel.h"

#include <QFontMetrics>
#include <QImage>

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

TEST(QtTextRenderer, DrawsGlyphsInsideTheTextCellOnly)
{
    ui::QtTextRenderer text;
    const TFont font { "Tahoma", 16, true, 0xFFFFFF };
    const int width = text.TextWidth(font, "Vespern");
    const int height = text.TextHeight(font, "Vespern");
    ASSERT_GT(width, 0);
    EXPECT_EQ(height, QFontMetrics(ui::ToQFont(font)).height());

    PixelBuffer canvas(120, 60, 0x0000FF);
    text.TextOut(canvas, font, 10, 20, "Vespern");
    int inked = 0;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            if (canvas.Pixel(x, y) == 0x0000FFu)
                continue;
            ++inked;
            // A pixel of slack for antialiasing at the cell's edges.
            EXPECT_TRUE(x >= 9 && x <= 10 + width && y >= 19 && y <= 20 + height) << x << "," << y;
        }
    EXPECT_GT(inked, 20);
}

TEST(GradientPanelView, PaintsTheCaptionOverTheGradient)
{
    TGradientPanel model;
    model.Width = 120;
    model.Height = 40;
    model.Caption = "Vespern";
    model.Font = TFont { "Tahoma", 14, false, 0x000000 };
    ui::TGradientPanel view(model, nullptr);
    EXPECT_EQ(view.size(), QSize(120, 40));
    const QImage shot = view.grab().toImage();
    int dark = 0;
    for (int y = 1; y < 39; ++y)
        for (int x = 1; x < 119; ++x)
            dark += qGray(shot.pixel(x, y)) < 128 ? 1 : 0;
    EXPECT_GT(dark, 10);
    EXPECT_EQ(shot.pixel(0, 0) & 0xFFFFFF, 0xD58F00u);
}

} // namespace
} // namespace vespern::test
