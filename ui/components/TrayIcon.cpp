#include "TrayIcon.h"

#include <QIcon>
#include <QMenu>

namespace vespern::ui {

TTrayIcon::TTrayIcon(vespern::TTrayIcon& model, QObject* parent)
    : QObject(parent)
    , model_(model)
{
    icon_.setIcon(QIcon(QStringLiteral(":/vespern/tray.png")));
    connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (!model_.Enabled)
            return;
        if (reason == QSystemTrayIcon::DoubleClick && OnDblClick)
            OnDblClick();
    });
    model_.Attach(this);
}

TTrayIcon::~TTrayIcon()
{
    // The icon leaves the notification area at once, not when the pointer next passes.
    model_.Attach(nullptr);
    icon_.hide();
}

void TTrayIcon::SetPopupMenu(QMenu* menu)
{
    icon_.setContextMenu(menu);
}

bool TTrayIcon::UpdateIcon(bool visible, const std::string& tooltip)
{
    icon_.setToolTip(QString::fromLocal8Bit(tooltip));
    icon_.setVisible(visible);
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool TTrayIcon::ShowBalloon(const std::string& title, const std::string& text, BalloonIconKind kind, int timeout)
{
    QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::NoIcon;
    switch (kind) {
    case BalloonIconKind::Info:
        icon = QSystemTrayIcon::Information;
        break;
    case BalloonIconKind::Warning:
        icon = QSystemTrayIcon::Warning;
        break;
    case BalloonIconKind::Error:
        icon = QSystemTrayIcon::Critical;
        break;
    case BalloonIconKind::None:
        break;
    }
    QString body = QString::fromLocal8Bit(text);
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    icon_.showMessage(QString::fromLocal8Bit(title), body, icon, timeout);
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TTrayIcon::HideBalloon()
{
    // Qt offers no call to withdraw a message; the next one replaces it in the notification service.
}

} // namespace vespern::ui
