#pragma once

#include "UiEvents.h"
#include "components/TrayIcon.h"
#include "core/TForm1Model.h"

#include <QWidget>

#include <memory>

class QLabel;
class QMenu;

namespace vespern::ui {

// The main window.
class TForm1 final : public QWidget {
    Q_OBJECT
public:
    // Builds the window and its tray icon, then runs the model's creation handler.
    TForm1(TForm1Model& model, UiEvents& events);
    ~TForm1() override;

    void Refresh();
    TTrayIcon& TrayIcon1() { return *trayIcon_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildTrayMenu();

    TForm1Model& model_;
    UiEvents& events_;
    QLabel* label3_ = nullptr;
    QMenu* popupMenu1_ = nullptr;
    std::unique_ptr<TTrayIcon> trayIcon_;
};

} // namespace vespern::ui
