#pragma once

#include "core/TForm4Model.h"
#include "core/UiEvents.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace vespern::ui {

class CountdownBar;

// The confirmation dialog: shows the model's question and bar, and forwards its buttons, its two
// countdown timers and its title-bar close to the model. It opens as an alert with the focus on
// "Cancel"; Escape cancels.
class TForm4 final : public QDialog {
    Q_OBJECT
public:
    TForm4(TForm4Model& model, UiEvents& events, QWidget* mainWindow);
    ~TForm4() override;

    void Refresh();
    // Escape: "Cancel".
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void showCentred();

    TForm4Model& model_;
    UiEvents& events_;
    QPlainTextEdit* memo1_ = nullptr;
    CountdownBar* bar_ = nullptr;
    QPushButton* bitBtn2_ = nullptr;
    QPushButton* bitBtn1_ = nullptr;
    AppliedCount frontRequests_;
};

} // namespace vespern::ui
