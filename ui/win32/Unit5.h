#pragma once

// The About box: the product name and version on a blue gradient, in a fixed window with only a
// close button. Closing it, or Escape, hides it; it has no control to reach with the keyboard.

#include "components/GdiObject.h"
#include "components/GradientPanel.h"
#include "components/NativeWindow.h"
#include "core/TForm5Model.h"
#include "core/UiEvents.h"

#include <memory>
#include <vector>

namespace vespern::ui {

class TForm5 final : public NativeWindow {
public:
    // The controls' ids, in the class: the other windows have controls of the same names.
    enum Id : int {
        IdGradientPanel1 = 5100,
        IdLabel2,
        IdLabel1,
        IdLabel3,
    };

    // mainWindow owns the box, which opens centred over it.
    TForm5(TForm5Model& model, UiEvents& events, HWND mainWindow);
    ~TForm5() override;

    void Refresh();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void addLabel(const TAboutLabel& label, int id);
    void centreOnMainWindow();

    TForm5Model& model_;
    UiEvents& events_;
    HWND mainWindow_;
    std::unique_ptr<TGradientPanel> gradientPanel1_;
    std::vector<GdiObject<HFONT>> fonts_;
    AppliedCount shows_;
};

} // namespace vespern::ui
