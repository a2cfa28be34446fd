#include "Unit2.h"

namespace vespern::ui {

TForm2::TForm2(TForm2Model& model, UiEvents& events, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Dialog)
    , model_(model)
    , events_(events)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Vespern Option"));
}

} // namespace vespern::ui
