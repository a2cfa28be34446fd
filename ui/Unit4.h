#pragma once

#include "UiEvents.h"
#include "core/TForm4Model.h"

#include <QWidget>

class QFrame;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace vespern::ui {

// The confirmation dialog: shows the model's question and bar, and forwards its buttons, its two
// countdown timers and its title-bar close to the model.
class TForm4 final : public QWidget {
    Q_OBJECT
public:
    TForm4(TForm4Model& model, UiEvents& events, QWidget* mainWindow);

    void Refresh();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    QTimer* countdownTimer(const char* name, void (TForm4Model::*handler)());
    void syncTimer(QTimer* timer, const TTimer& state);
    void showCentred();

    TForm4Model& model_;
    UiEvents& events_;
    QPlainTextEdit* memo1_ = nullptr;
    QFrame* panel16_ = nullptr;
    QFrame* panel15_ = nullptr;
    QPushButton* bitBtn2_ = nullptr;
    QPushButton* bitBtn1_ = nullptr;
    QTimer* timer1_ = nullptr;
    QTimer* timer2_ = nullptr;
    int frontRequests_ = 0;
};

} // namespace vespern::ui
