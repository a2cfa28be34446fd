#pragma once

#include "GdiObject.h"
#include "GdiTextRenderer.h"
#include "NativeWindow.h"
#include "core/TGradientPanel.h"

#include <map>

namespace vespern::ui {

// Shows a gradient panel: the core paints the whole picture off screen and the window copies it
// in one call, so the gradient never shows half-drawn. Static controls laid on it get the
// panel's picture as their background, so their text stands on the gradient.
class TGradientPanel final : public NativeWindow {
public:
    TGradientPanel(vespern::TGradientPanel& model, HWND parent);
    ~TGradientPanel() override;

    // Takes the model's place and size and repaints when a painted property changed.
    void Refresh();
    // The colour of the text of a static control on the panel.
    void SetTextColor(HWND child, TColor color) { textColors_[child] = color; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void render();
    void paint(HDC context);
    void repaint();
    // The background of a static control: the panel's picture, aligned with the control.
    LRESULT staticColors(HDC context, HWND child);

    vespern::TGradientPanel& model_;
    GdiTextRenderer text_;
    vespern::TGradientPanel::TPaintedProperties painted_; // as last painted
    PixelBuffer picture_ { 0, 0 };
    GdiObject<HBRUSH> background_;
    std::map<HWND, TColor> textColors_;
};

} // namespace vespern::ui
