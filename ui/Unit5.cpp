#include "Unit5.h"

namespace vespern::ui {

TForm5::TForm5(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Dialog)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("About"));
}

} // namespace vespern::ui
