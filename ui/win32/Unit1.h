#pragma once

#include "WindowsApi.h"
#include "components/ButtonPictures.h"
#include "components/GdiObject.h"
#include "components/NativeWindow.h"
#include "core/PanelStacks.h"
#include "core/TForm1ModeControls.h"
#include "core/UiEvents.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vespern {
class TForm1Model;
struct TButton;
struct TCheckBox;
struct TComboBox;
struct TControl;
struct TDateTimePickerEx;
struct TEdit;
struct TGroupBox;
struct TLabel;
struct TPanel;
struct TSpinEdit;
} // namespace vespern

namespace vespern::ui {

class Picture;
class TPopupMenu;
class TTrayIcon;

// The main window: bands stacked top to bottom, 259 pixels wide, a hidden band taking no room.
// Each control shows the model's state again at every refresh (only what differs is touched) and
// hands every change back through its notification, as one user-interface event.
class TForm1 final : public NativeWindow {
public:
    static constexpr int ClientWidth = 259;

    TForm1(TForm1Model& model, UiEvents& events);
    ~TForm1() override;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    void Refresh();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    using Refresher = std::function<void()>;
    using Notification = std::function<void(UINT code)>;
    struct LinkState;

    void buildBanner(HWND band);
    void buildTargetSelector(HWND band);
    void buildLocalComputer(HWND set);
    void buildNetworkComputer(HWND set);
    void buildEventSet(HWND set, const TForm1ModeControls& controls);
    void buildActionOptions(HWND band);
    void buildButtons(HWND band);
    void buildProgress(HWND band, const TForm1ModeControls& controls);
    void buildTray();

    HWND band(TPanel& model, int id);
    HWND panel(HWND parent, TPanel& model, int id, POINT at);
    // A group box; the controls built until endGroup lie inside it (bounds relative to it) and
    // are enabled only while it is.
    HWND group(HWND parent, const TControl& model, const std::string& caption, int id, RECT bounds);
    void endGroup();
    RECT inGroup(RECT bounds) const;
    HWND label(HWND parent, TLabel& model, int id, RECT bounds, DWORD style = SS_LEFT);
    HWND text(HWND parent, const char* caption, RECT bounds);
    void spin(HWND parent, TSpinEdit& model, int id, RECT bounds);
    HWND list(HWND parent, TComboBox& model, int id, RECT bounds, std::function<void()> change);
    void check(HWND parent, TCheckBox& model, int id, RECT bounds, void (TForm1Model::*setChecked)(bool));
    // A push button with the picture of that resource id before its caption.
    HWND button(HWND parent, TButton& model, int id, RECT bounds, int picture, std::function<void()> click);
    void edit(HWND parent, TEdit& model, int id, RECT bounds);
    void picker(HWND parent, TDateTimePickerEx& model, int id, RECT bounds);
    void link(HWND band, TLabel& model, int id, RECT bounds, void (TForm1Model::*move)(), void (TForm1Model::*leave)(),
        void (TForm1Model::*click)());
    void hint(HWND control, const TControl& model);
    // Shows and enables a control as the model and its enclosing group say.
    static void applyControl(HWND control, const TControl& model, const TControl* enclosing);

    void handle(const std::function<void()>& handler);
    void layoutBands();
    void passFocusToReplacement();
    void applyShowRequests();
    // The window became visible: the model says so, and its show handler runs.
    void shown();
    LRESULT colour(HWND control, HDC context);
    static LRESULT CALLBACK linkProcedure(
        HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);

    TForm1Model& model_;
    UiEvents& events_;
    GdiObject<HFONT> boldFont_;
    GdiObject<HFONT> hoverFont_;
    HWND tooltips_ = nullptr;
    std::unique_ptr<Picture> banner_;
    std::unique_ptr<TPopupMenu> popupMenu1_;
    std::unique_ptr<TTrayIcon> trayIcon1_;
    ButtonPictures buttonPictures_;
    std::vector<Refresher> refreshers_;
    std::map<int, Notification> commands_;
    std::map<int, Notification> notifications_;
    PanelStacks stacks_;
    std::vector<std::pair<HWND, const TPanel*>> bands_;
    std::vector<std::pair<HWND, std::unique_ptr<LinkState>>> links_;
    HWND computerName_ = nullptr;
    HWND start_ = nullptr;
    HWND stop_ = nullptr;
    const TControl* enclosing_ = nullptr; // the group whose controls are being built
    POINT origin_ {};
    bool refreshing_ = false; // the view's own changes are not the user's
    AppliedCount mainShow_;
};

} // namespace vespern::ui
