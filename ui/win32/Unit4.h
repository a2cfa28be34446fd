#pragma once

#include "WindowsApi.h"
#include "components/NativeWindow.h"
#include "core/TForm4Model.h"
#include "core/UiEvents.h"

namespace vespern::ui {

// The control ids of the confirmation dialog, named after the model's controls;
// +TForm4Id::BitBtn2 is the number.
enum class TForm4Id : int {
    Memo1 = 4000,
    Panel15,
    Panel16,
    BitBtn2,
    BitBtn1,
};

constexpr int operator+(TForm4Id id)
{
    return static_cast<int>(id);
}

// The confirmation dialog: the model's question and red bar, its two buttons forwarded to the
// model. It opens centred on the main window with the focus on "Cancel", so that Enter pressed
// once too often keeps the action back; Escape cancels; the title-bar close only hides it and
// the countdown goes on. Its countdown timers are the core's.
class TForm4 final : public NativeWindow {
public:
    TForm4(TForm4Model& model, UiEvents& events, HWND owner);
    ~TForm4() override;
    TForm4(const TForm4&) = delete;
    TForm4& operator=(const TForm4&) = delete;

    void Refresh();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void onCommand(int id);
    void refreshBar();
    void refreshVisibility();
    LRESULT drawBar(const DRAWITEMSTRUCT& item);

    TForm4Model& model_;
    UiEvents& events_;
    HWND owner_;
    HWND memo1_ = nullptr;
    HWND panel15_ = nullptr;
    HWND panel16_ = nullptr;
    HWND bitBtn2_ = nullptr;
    AppliedCount frontRequests_;
};

} // namespace vespern::ui
