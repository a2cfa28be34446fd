#pragma once

#include "WindowsApi.h"
#include "components/ButtonPictures.h"
#include "components/GdiObject.h"
#include "components/NativeWindow.h"
#include "core/TForm1Model.h"
#include "core/TForm2Model.h"
#include "core/UiEvents.h"

#include <memory>
#include <vector>

namespace vespern::ui {

// The control ids of the options dialog, named after the model's controls (scoped, as every
// window has its BitBtn1); +TForm2Id::BitBtn1 is the number. The nine "Shortcut" boxes follow
// each other in the order of the desktop action file table.
enum class TForm2Id : int {
    TabControl1 = 2000,
    BitBtn1,
    BitBtn2,
    ontop,
    startup,
    empty,
    CheckBox1,
    Hideshutdwnbtn,
    CheckBox4,
    CheckBox3,
    GroupBox1,
    Label1,
    Edit1,
    BitBtn3,
    GroupBox2,
    shutdown_scut,
    reboot_scut,
    logoff_scut,
    standby_scut,
    Hibernate_scut,
    hangup_scut,
    turnoffmon_csut,
    screensaver_scut,
    lock_scut,
};

constexpr int operator+(TForm2Id id)
{
    return static_cast<int>(id);
}

// The options dialog: shown without modality, centred on the main window that owns it. Escape,
// "Close" and the title-bar close hide it; nothing is destroyed until the program ends.
class TForm2 final : public NativeWindow {
public:
    // fileDialog: the "Browse" dialog; the system's open-file dialog when null.
    TForm2(TForm2Model& model, const TForm1Model& form1, UiEvents& events, HWND owner,
        FileOpenDialog* fileDialog = nullptr);
    ~TForm2() override;
    TForm2(const TForm2&) = delete;
    TForm2& operator=(const TForm2&) = delete;

    void Refresh();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct CheckBoxControl {
        HWND window;
        TCheckBox* box;
    };
    // The controls of one tab page, which show and hide together.
    using Page = std::vector<HWND>;

    HWND addControl(Page& page, const char* className, const std::string& text, DWORD style, RECT bounds, int id);
    void addCheckBox(Page& page, TCheckBox& box, RECT bounds, int id);
    void buildGeneral();
    void buildOnAction();
    void buildShortcut();
    void buildButtons();
    void onCommand(int id, int code);
    bool onPage(HWND control) const;
    LRESULT pageBackground(HDC context, HWND control);
    void refreshPages();
    void refreshVisibility();

    TForm2Model& model_;
    const TForm1Model& form1_;
    UiEvents& events_;
    HWND owner_;
    std::unique_ptr<FileOpenDialog> ownDialog_;
    FileOpenDialog* fileDialog_;
    HWND tabs_ = nullptr;
    Page pages_[3];
    Page groupBox1_; // the controls inside "Select program", enabled with it
    HWND edit1_ = nullptr;
    std::vector<CheckBoxControl> checkBoxes_;
    ButtonPictures buttonPictures_;
    GdiObject<HBRUSH> pageBrush_; // a picture of the tab control's body, made when first needed
    AppliedCount frontRequests_;
};

} // namespace vespern::ui
