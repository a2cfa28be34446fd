#pragma once

#include "PixelBuffer.h"

#include <functional>
#include <string>

namespace vespern {

enum class TColorScheme { csCustom, csDesert, csGrass, csSilver, csSky, csRose, csSun };
enum class TFillDirection { fdHorizontal, fdVertical, fdDiagonal };
enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
// Which of the four colours the colour setter assigns.
enum class TGradientColor { Face, Grad, Light, Dark };

// A panel that paints a two-colour gradient, its caption and bevels in two colours of its own.
// Every paint recomputes the whole picture from the properties.
class TGradientPanel {
public:
    TGradientPanel();

    // The panel properties the painting reads.
    int Left = 0;
    int Top = 0;
    int Width = 185;
    int Height = 41;
    std::string Caption;
    TFont Font;
    TAlignment Alignment = TAlignment::taCenter;
    TBevelCut BevelOuter = TBevelCut::bvRaised;
    TBevelCut BevelInner = TBevelCut::bvNone;
    int BevelWidth = 1;

    // Asked for after every change of the panel's own properties; the view repaints.
    std::function<void()> OnInvalidate;

    TColor ColorFace() const { return face_; }
    TColor ColorGrad() const { return grad_; }
    TColor ColorLight() const { return light_; }
    TColor ColorDark() const { return dark_; }
    TColorScheme ColorScheme() const { return scheme_; }
    TFillDirection FillDirection() const { return direction_; }

    // A single colour makes the scheme custom.
    void SetColor(TGradientColor which, TColor color);
    void SetColorFace(TColor color) { SetColor(TGradientColor::Face, color); }
    void SetColorGrad(TColor color) { SetColor(TGradientColor::Grad, color); }
    void SetColorLight(TColor color) { SetColor(TGradientColor::Light, color); }
    void SetColorDark(TColor color) { SetColor(TGradientColor::Dark, color); }
    // A preset replaces all four colours; csCustom keeps them.
    void SetColorScheme(TColorScheme scheme);
    void SetFillDirection(TFillDirection direction);

    // The whole client area, Width x Height; empty when either is zero or less.
    PixelBuffer Paint(TextRenderer& text) const;

    // The plain panel properties the painting reads: a view that kept the last painted ones
    // repaints only when they differ (the colour setters ask for their own repaint).
    struct TPaintedProperties {
        std::string caption;
        TFont font;
        TAlignment alignment {};
        TBevelCut bevelOuter {};
        TBevelCut bevelInner {};
        int bevelWidth {};
        bool operator==(const TPaintedProperties&) const = default;
    };
    TPaintedProperties PaintedProperties() const
    {
        return { Caption, Font, Alignment, BevelOuter, BevelInner, BevelWidth };
    }

    // N + 1 lines from face to grad over (0, 0, width, height), where N is the number of steps of
    // the direction; nothing when N is 0, since there is then no pixel to fill.
    static void FillGradient(
        PixelBuffer& canvas, int width, int height, TColor face, TColor grad, TFillDirection direction);
    // count rings from inset start inwards: topLeft on the top and left edges, bottomRight on the others.
    static void DrawBevel(PixelBuffer& canvas, int start, TColor topLeft, TColor bottomRight, int count);
    static void DrawBevelRing(PixelBuffer& canvas, int inset, TColor topLeft, TColor bottomRight);

private:
    void Invalidate() const;
    void DrawCaption(PixelBuffer& canvas, TextRenderer& text) const;
    void DrawBevelOf(PixelBuffer& canvas, TBevelCut cut, int start) const;

    TColor face_ = 0xFFFFFF;
    TColor grad_ = 0xFFFFFF;
    TColor light_ = 0xC0C0C0;
    TColor dark_ = 0x000000;
    TColorScheme scheme_ = TColorScheme::csCustom;
    TFillDirection direction_ = TFillDirection::fdVertical;
};

} // namespace vespern
