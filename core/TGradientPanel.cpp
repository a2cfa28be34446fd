#include "TGradientPanel.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vespern {

namespace {

struct SchemeColors {
    TColor face;
    TColor grad;
    TColor light;
    TColor dark;
};

// Indexed by TColorScheme; the custom row is never applied.
constexpr std::array<SchemeColors, 7> schemes { {
    { 0, 0, 0, 0 },
    { 0xFFFFFF, 0xFFE1A4, 0xD58F00, 0x9B6900 },
    { 0xFFFFFF, 0xCBF2B0, 0x6AB53E, 0x376F15 },
    { 0xFFFFFF, 0xDEE0DA, 0x7D7D7D, 0x626262 },
    { 0xFFFFFF, 0xC1E0FF, 0x4D96F0, 0x0059B3 },
    { 0xFFFFFF, 0xFFCCCC, 0xCC5106, 0x9D0000 },
    { 0xFFFFFF, 0xFFFFBF, 0x959500, 0x646400 },
} };

int channel(TColor color, int shift)
{
    return static_cast<int>((color >> shift) & 0xFF);
}

// Rounds halves to even, as the default floating-point rounding does.
TColor rounded(double red, double green, double blue)
{
    auto byte = [](double value) { return static_cast<TColor>(std::clamp(std::nearbyint(value), 0.0, 255.0)); };
    return byte(red) << 16 | byte(green) << 8 | byte(blue);
}

} // namespace

TGradientPanel::TGradientPanel()
{
    SetColorScheme(TColorScheme::csDesert);
}

void TGradientPanel::Invalidate() const
{
    if (OnInvalidate)
        OnInvalidate();
}

void TGradientPanel::SetColor(TGradientColor which, TColor color)
{
    color &= 0xFFFFFF;
    switch (which) {
    case TGradientColor::Face:
        face_ = color;
        break;
    case TGradientColor::Grad:
        grad_ = color;
        break;
    case TGradientColor::Light:
        light_ = color;
        break;
    case TGradientColor::Dark:
        dark_ = color;
        break;
    }
    scheme_ = TColorScheme::csCustom;
    Invalidate();
}

void TGradientPanel::SetColorScheme(TColorScheme scheme)
{
    scheme_ = scheme;
    const auto index = static_cast<std::size_t>(scheme);
    if (scheme != TColorScheme::csCustom && index < schemes.size()) {
        const SchemeColors& row = schemes[index];
        dark_ = row.dark;
        face_ = row.face;
        grad_ = row.grad;
        light_ = row.light;
    }
    Invalidate();
}

void TGradientPanel::SetFillDirection(TFillDirection direction)
{
    direction_ = direction;
    Invalidate();
}

PixelBuffer TGradientPanel::Paint(TextRenderer& text) const
{
    if (Width <= 0 || Height <= 0)
        return PixelBuffer(0, 0);
    PixelBuffer canvas(Width, Height);
    FillGradient(canvas, Width, Height, face_, grad_, direction_);
    DrawCaption(canvas, text);
    const bool outer = BevelOuter != TBevelCut::bvNone;
    if (outer)
        DrawBevelOf(canvas, BevelOuter, 0);
    if (BevelInner != TBevelCut::bvNone)
        DrawBevelOf(canvas, BevelInner, outer ? BevelWidth : 0);
    return canvas;
}

void TGradientPanel::DrawCaption(PixelBuffer& canvas, TextRenderer& text) const
{
    if (Caption.empty())
        return;
    canvas.SetFont(Font);
    const int captionWidth = canvas.TextWidth(text, Caption);
    const bool bothBevels = BevelInner != TBevelCut::bvNone && BevelOuter != TBevelCut::bvNone;
    int x = 0;
    switch (Alignment) {
    case TAlignment::taLeftJustify:
        x = BevelWidth + 2 + (bothBevels ? BevelWidth : 0);
        break;
    case TAlignment::taRightJustify:
        x = Width - BevelWidth - 2 - captionWidth - (bothBevels ? BevelWidth : 0);
        break;
    case TAlignment::taCenter:
        x = (Width - captionWidth) / 2;
        break;
    }
    const int y = (Height - canvas.TextHeight(text, "AaBbCcDd")) / 2;
    canvas.TextOut(text, x, y, Caption);
}

void TGradientPanel::DrawBevelOf(PixelBuffer& canvas, TBevelCut cut, int start) const
{
    // A space bevel is drawn like a raised one.
    if (cut == TBevelCut::bvLowered)
        DrawBevel(canvas, start, dark_, light_, BevelWidth);
    else
        DrawBevel(canvas, start, light_, dark_, BevelWidth);
}

void TGradientPanel::FillGradient(
    PixelBuffer& canvas, int width, int height, TColor face, TColor grad, TFillDirection direction)
{
    int steps = height;
    if (direction == TFillDirection::fdHorizontal)
        steps = width;
    else if (direction == TFillDirection::fdDiagonal)
        steps = width + height;
    if (steps <= 0)
        return;
    const double stepRed = static_cast<double>(channel(grad, 16) - channel(face, 16)) / steps;
    const double stepGreen = static_cast<double>(channel(grad, 8) - channel(face, 8)) / steps;
    const double stepBlue = static_cast<double>(channel(grad, 0) - channel(face, 0)) / steps;
    double red = channel(face, 16);
    double green = channel(face, 8);
    double blue = channel(face, 0);
    for (int i = 0; i <= steps; ++i) {
        canvas.SetPen(1, rounded(red, green, blue));
        switch (direction) {
        case TFillDirection::fdHorizontal:
            canvas.MoveTo(i, 0);
            canvas.LineTo(i, height);
            break;
        case TFillDirection::fdVertical:
            canvas.MoveTo(0, i);
            canvas.LineTo(width, i);
            break;
        case TFillDirection::fdDiagonal:
            canvas.MoveTo(i, 0);
            canvas.LineTo(0, i);
            break;
        }
        red += stepRed;
        green += stepGreen;
        blue += stepBlue;
    }
}

void TGradientPanel::DrawBevel(PixelBuffer& canvas, int start, TColor topLeft, TColor bottomRight, int count)
{
    for (int k = 0; k < count; ++k)
        DrawBevelRing(canvas, start + k, topLeft, bottomRight);
}

void TGradientPanel::DrawBevelRing(PixelBuffer& canvas, int inset, TColor topLeft, TColor bottomRight)
{
    const int left = inset;
    const int top = inset;
    const int right = canvas.Width() - inset - 1;
    const int bottom = canvas.Height() - inset - 1;
    canvas.SetPen(1, topLeft);
    canvas.MoveTo(left, bottom);
    canvas.LineTo(left, top);
    canvas.LineTo(right, top);
    canvas.SetPen(1, bottomRight);
    canvas.LineTo(right, bottom);
    canvas.LineTo(left, bottom);
}

} // namespace vespern
