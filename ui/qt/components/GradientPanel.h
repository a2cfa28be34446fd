#pragma once

#include "core/PixelBuffer.h"
#include "core/TGradientPanel.h"

#include <QWidget>

namespace vespern::ui {

// Glyphs from Qt's fonts, blended into a pixel buffer with a clear brush.
class QtTextRenderer final : public TextRenderer {
public:
    int TextWidth(const TFont& font, const std::string& text) override;
    int TextHeight(const TFont& font, const std::string& text) override;
    void TextOut(PixelBuffer& target, const TFont& font, int x, int y, const std::string& text) override;
};

QFont ToQFont(const TFont& font);

// Shows a gradient panel: the core paints the whole picture off screen and the widget copies it
// in one draw, so the gradient never shows half-drawn.
class TGradientPanel final : public QWidget {
    Q_OBJECT
public:
    TGradientPanel(vespern::TGradientPanel& model, QWidget* parent);
    ~TGradientPanel() override;

    // Takes the model's place and size.
    void Refresh();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    vespern::TGradientPanel& model_;
    QtTextRenderer text_;
    vespern::TGradientPanel::TPaintedProperties painted_; // as last painted
};

} // namespace vespern::ui
