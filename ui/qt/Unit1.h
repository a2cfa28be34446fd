#pragma once

#include "components/TrayIcon.h"
#include "core/PanelStacks.h"
#include "core/TForm1Model.h"
#include "core/UiEvents.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;

namespace vespern::ui {

class Panel;
class TDateTimePickerEx;

// The main window: a fixed layout of bands stacked top to bottom, 259 pixels wide; a hidden band
// takes no room. Every control carries its model name as object name and shows the model's state
// again at each Refresh. The model follows the controls through their change signals, whatever
// changed them (mouse, keyboard, assistive technology, an input method); the view's own updates
// are not echoed back.
class TForm1 final : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 259;

    // Builds the window and its tray icon; the model's creation handler runs after it.
    TForm1(TForm1Model& model, UiEvents& events);
    ~TForm1() override;

    void Refresh();
    TTrayIcon& TrayIcon1() { return *trayIcon_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    using Refresher = std::function<void()>;

    void buildBanner(QWidget* band);
    void buildTargetSelector(QWidget* band);
    void buildLocalComputer(QWidget* set);
    void buildNetworkComputer(QWidget* set);
    void buildEventSet(QWidget* set, const TForm1ModeControls& controls);
    void buildActionOptions(QWidget* band);
    void buildButtons(QWidget* band);
    void onClick(QPushButton* widget, void (TForm1Model::*click)());
    // A button pressed while a time picker has the focus (by assistive technology, which does
    // not move it) reads the typed time first; false when it did not read.
    bool commitTypedTimes();
    void buildProgress(QWidget* band, const TForm1ModeControls& controls);
    void buildTrayMenu();
    void applyShowRequests();
    void passFocusToReplacement();

    Panel* band(const char* name, TPanel& model);
    Panel* panel(QWidget* parent, const char* name, TPanel& model, QPoint at);
    QGroupBox* group(QWidget* parent, const char* name, TGroupBox& model, QRect geometry);
    QLabel* label(QWidget* parent, const char* name, TLabel& model, QRect geometry);
    QLabel* text(QWidget* parent, const QString& caption, QRect geometry);
    QWidget* spin(QWidget* parent, const TNamed<TSpinEdit>& named, QRect geometry, const QString& accessibleName);
    // change runs after the model took a newly selected item; empty for lists without a handler.
    QComboBox* list(QWidget* parent, const char* name, TComboBox& model, QRect geometry, const QString& accessibleName,
        const std::function<void()>& change);
    // setChecked: the model's setter, which runs the click handler when the state changes.
    void check(
        QWidget* parent, const char* name, TCheckBox& model, QRect geometry, void (TForm1Model::*setChecked)(bool));
    // A push button with the program picture of that name before its caption.
    QPushButton* button(QWidget* parent, const char* name, TButton& model, QRect geometry, const char* picture);
    void edit(QWidget* parent, const char* name, TEdit& model, QRect geometry, const QString& accessibleName);
    QWidget* picker(QWidget* parent, const char* name, vespern::TDateTimePickerEx& model, QRect geometry);
    void handle(const std::function<void()>& handler);

    TForm1Model& model_;
    UiEvents& events_;
    std::vector<Refresher> refreshers_;
    PanelStacks stacks_;
    std::vector<TDateTimePickerEx*> pickers_;
    QMenu* popupMenu1_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    std::unique_ptr<TTrayIcon> trayIcon_;
    AppliedCount mainWindowShows_;
    AppliedCount form2Shows_;
    bool centred_ = false;
};

} // namespace vespern::ui
