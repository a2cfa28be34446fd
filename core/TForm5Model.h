#pragma once

#include "PixelBuffer.h"
#include "TGradientPanel.h"

#include <string>

namespace vespern {

// A label laid over the About box's gradient; zero width and height size it to its text.
struct TAboutLabel {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    std::string Caption;
    TFont Font;
    bool Transparent = true;
};

// The About box: the product name and version on a blue gradient. It is created once, shown
// without being modal, and closing it only hides it.
class TForm5Model {
public:
    TForm5Model();

    std::string Caption = "About";
    int ClientWidth = 361;
    int ClientHeight = 209;
    TFont Font;
    bool Visible = false;
    // Bumped by every Show, so that a second show brings the window to the front again.
    unsigned ShowCount = 0;

    // In stacking order, bottom to top.
    TGradientPanel GradientPanel1;
    TAboutLabel Label2;
    TAboutLabel Label1;
    TAboutLabel Label3;

    void Show();
    void Close() { Visible = false; }
};

} // namespace vespern
