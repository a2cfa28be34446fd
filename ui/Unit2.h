#pragma once

#include "UiEvents.h"
#include "core/TForm2Model.h"

#include <QWidget>

namespace vespern::ui {

// The options dialog.
class TForm2 final : public QWidget {
    Q_OBJECT
public:
    TForm2(TForm2Model& model, UiEvents& events, QWidget* mainWindow);

private:
    TForm2Model& model_;
    UiEvents& events_;
};

} // namespace vespern::ui
