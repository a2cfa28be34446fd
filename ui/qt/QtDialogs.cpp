#include "QtDialogs.h"

#include <QMessageBox>

#include <iostream>

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

QtDialogs::QtDialogs(bool headless)
    : headless_(headless)
{
}

void QtDialogs::MessageBox(const std::string& title, const std::string& text, MessageIcon icon)
{
    if (headless_) {
        std::string line = title + ": " + text;
        for (char& c : line)
            if (c == '\r' || c == '\n')
                c = ' ';
        std::cerr << line << std::endl;
        return;
    }
    // The system's texts separate lines with a lone carriage return.
    QString shown = QString::fromLocal8Bit(text);
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(toQt(icon), QString::fromLocal8Bit(title), shown, QMessageBox::Ok);
    box.setAccessibleName(QString::fromLocal8Bit(title));
    box.exec();
}

} // namespace vespern::ui
