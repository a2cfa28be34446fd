#include "Unit4.h"

namespace vespern::ui {

TForm4::TForm4(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Dialog)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Message"));
}

} // namespace vespern::ui
