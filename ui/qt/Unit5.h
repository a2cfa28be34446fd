#pragma once

#include "core/TForm5Model.h"
#include "core/UiEvents.h"

#include <QDialog>

class QLabel;

namespace vespern::ui {

class TGradientPanel;

// The About box: a fixed window with only a close button; closing it, or Escape, hides it.
class TForm5 final : public QDialog {
    Q_OBJECT
public:
    TForm5(TForm5Model& model, UiEvents& events, QWidget* mainWindow);
    ~TForm5() override;

    void Refresh();
    // Escape: closes, as the close button does.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* addLabel(const TAboutLabel& label, const char* name);

    TForm5Model& model_;
    UiEvents& events_;
    TGradientPanel* gradientPanel1_ = nullptr;
    AppliedCount showRequests_;
};

} // namespace vespern::ui
