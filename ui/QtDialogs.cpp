#include "QtDialogs.h"

#include <QMessageBox>

namespace vespern::ui {

namespace {
QMessageBox::Icon toQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void QtDialogs::MessageBox(const std::string& title, const std::string& text, MessageIcon icon)
{
    // The system's texts separate lines with a lone carriage return.
    QString shown = QString::fromLocal8Bit(text);
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(toQt(icon), QString::fromLocal8Bit(title), shown, QMessageBox::Ok);
    box.setAccessibleName(QString::fromLocal8Bit(title));
    box.exec();
}

} // namespace vespern::ui
