// Drives the tray icon component against whatever session bus it is given, for the tray test
// script: shows the icon with its tooltip, two balloons (the first too long in both texts), then
// removes the icon and ends. Prints each step on standard output as it is done.

#include "core/TTrayIcon.h"
#include "ui/qt/components/TrayIcon.h"

#include <QApplication>
#include <QTimer>

#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Vespern"));
    vespern::TTrayIcon model;
    vespern::ui::TTrayIcon icon(model, [](const std::function<void()>& handler) { handler(); });
    model.SetHint("Vespern");
    model.SetIconVisible(true);
    std::cout << "available " << model.NotificationAreaAvailable() << std::endl;

    QTimer::singleShot(300, [&] {
        model.ShowBalloon(std::string(70, 'T'), std::string(300, 'x'), vespern::BalloonIconKind::Warning, 10);
        model.ShowBalloon("Second", "replaces the first", vespern::BalloonIconKind::Info, 5);
        std::cout << "balloons" << std::endl;
    });
    QTimer::singleShot(600, [&] {
        model.RemoveTrayIcon();
        std::cout << "removed" << std::endl;
        QApplication::quit();
    });
    return QApplication::exec();
}
