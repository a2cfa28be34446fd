#include "TForm5Model.h"

namespace vespern {

namespace {

constexpr TColor white = 0xFFFFFF;

TAboutLabel aboutLabel(int left, int top, std::string caption, TFont font)
{
    TAboutLabel label;
    label.Left = left;
    label.Top = top;
    label.Caption = std::move(caption);
    label.Font = std::move(font);
    return label;
}

} // namespace

TForm5Model::TForm5Model()
{
    Font = TFont { "Tahoma", 11, false, 0x000000 };

    GradientPanel1.Left = 0;
    GradientPanel1.Top = 0;
    GradientPanel1.Width = ClientWidth;
    GradientPanel1.Height = ClientHeight;
    GradientPanel1.Font = Font;
    // In this order: each colour makes the scheme custom, so the custom colours stay.
    GradientPanel1.SetColorFace(0x8888FF);
    GradientPanel1.SetColorGrad(0x0000FF);
    GradientPanel1.SetColorLight(0xD58F00);
    GradientPanel1.SetColorDark(0x9B6900);
    GradientPanel1.SetColorScheme(TColorScheme::csCustom);
    GradientPanel1.SetFillDirection(TFillDirection::fdVertical);
    GradientPanel1.BevelOuter = TBevelCut::bvRaised;
    GradientPanel1.BevelInner = TBevelCut::bvNone;
    GradientPanel1.BevelWidth = 1;

    Label2 = aboutLabel(18, 15, std::string(29, '_'), TFont { "Tahoma", 21, false, white });
    Label2.Width = 319;
    Label2.Height = 25;
    Label1 = aboutLabel(19, 11, "Vespern", TFont { "Tahoma", 21, false, white });
    Label3 = aboutLabel(256, 17, "Version 1.0", TFont { "Arial", 13, true, white });
}

void TForm5Model::Show()
{
    Visible = true;
    ++ShowCount;
}

} // namespace vespern
