#include "TrayIcon.h"

#include "StatusNotifierItem.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QIcon>
#include <QMenu>
#include <QStyleHints>

#include <iostream>

// The icon is compiled into the static user-interface library; its resources need registering.
static void initialiseResources()
{
    Q_INIT_RESOURCE(vespern);
}

namespace vespern::ui {

namespace {

const QString NotificationService = QStringLiteral("org.freedesktop.Notifications");
const QString NotificationPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr int ServiceCallTimeout = 1000; // milliseconds; a hung service must not hang the window
constexpr int AreaPollInterval = 2000;

QSystemTrayIcon::MessageIcon messageIcon(BalloonIconKind kind)
{
    switch (kind) {
    case BalloonIconKind::Info:
        return QSystemTrayIcon::Information;
    case BalloonIconKind::Warning:
        return QSystemTrayIcon::Warning;
    case BalloonIconKind::Error:
        return QSystemTrayIcon::Critical;
    case BalloonIconKind::None:
        break;
    }
    return QSystemTrayIcon::NoIcon;
}

QString iconName(BalloonIconKind kind)
{
    switch (kind) {
    case BalloonIconKind::Info:
        return QStringLiteral("dialog-information");
    case BalloonIconKind::Warning:
        return QStringLiteral("dialog-warning");
    case BalloonIconKind::Error:
        return QStringLiteral("dialog-error");
    case BalloonIconKind::None:
        break;
    }
    return {};
}

bool notificationServiceRunning()
{
    auto bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() != nullptr
        && bus.interface()->isServiceRegistered(NotificationService).value();
}

} // namespace

TTrayIcon::TTrayIcon(vespern::TTrayIcon& model, Dispatch dispatch, QObject* parent)
    : QObject(parent)
    , model_(model)
    , dispatch_(std::move(dispatch))
{
    initialiseResources();
    icon_.setIcon(QIcon(QStringLiteral(":/vespern/tray.png")));
    clickTimer_.setSingleShot(true);
    connect(&clickTimer_, &QTimer::timeout, this, [this] { dispatch_([this] { model_.ClickDelayTick(); }); });
    connect(&icon_, &QSystemTrayIcon::activated, this, &TTrayIcon::onActivated);
    // The icon leaves the notification area as the program ends, not when the pointer next passes.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { model_.RemoveTrayIcon(); });
    areaAvailable_ = QSystemTrayIcon::isSystemTrayAvailable();
    areaPoll_.setInterval(AreaPollInterval);
    connect(&areaPoll_, &QTimer::timeout, this, &TTrayIcon::checkNotificationArea);
    areaPoll_.start();
    auto* watcher = new QDBusServiceWatcher(QStringLiteral("org.kde.StatusNotifierWatcher"),
        QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &TTrayIcon::onWatcherRegistered);
    model_.Attach(this);
}

TTrayIcon::~TTrayIcon()
{
    model_.Attach(nullptr);
    HideBalloon();
    icon_.hide();
}

void TTrayIcon::SetPopupMenu(QMenu* menu)
{
    menu_ = menu;
    icon_.setContextMenu(menu);
}

bool TTrayIcon::Available()
{
    if (!areaAvailable_ && !saidUnavailable_) {
        saidUnavailable_ = true;
        std::cerr << "vespern: this desktop has no notification area; the main window stays on screen and on the "
                     "taskbar until one appears\n";
    }
    return areaAvailable_;
}

bool TTrayIcon::UpdateIcon(bool visible, const std::string& tooltip)
{
    showIcon(visible, QString::fromLocal8Bit(tooltip));
    return areaAvailable_;
}

void TTrayIcon::showIcon(bool visible, const QString& tooltip)
{
    if (ownItem_ != nullptr) {
        ownItem_->SetToolTip(tooltip);
        if (!visible)
            ownItem_->Unregister();
        else if (!ownItem_->Registered())
            ownItem_->Register();
        return;
    }
    icon_.setToolTip(tooltip);
    icon_.setVisible(visible);
}

bool TTrayIcon::ShowBalloon(const std::string& title, const std::string& text, BalloonIconKind kind, int timeout)
{
    // The system's texts separate lines with a lone carriage return.
    QString body = QString::fromLocal8Bit(text);
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QString heading = QString::fromLocal8Bit(title);
    if (notifyThroughService(heading, body, kind, timeout))
        return true;
    icon_.showMessage(heading, body, messageIcon(kind), timeout);
    return areaAvailable_;
}

bool TTrayIcon::notifyThroughService(const QString& title, const QString& body, BalloonIconKind kind, int timeout)
{
    if (!notificationServiceRunning())
        return false;
    auto call = QDBusMessage::createMethodCall(
        NotificationService, NotificationPath, NotificationService, QStringLiteral("Notify"));
    call << QApplication::applicationDisplayName() << notificationId_ << iconName(kind) << title << body
         << QStringList() << QVariantMap() << timeout;
    const QDBusReply<quint32> reply = QDBusConnection::sessionBus().call(call, QDBus::Block, ServiceCallTimeout);
    if (!reply.isValid())
        return false;
    notificationId_ = reply.value();
    return true;
}

void TTrayIcon::HideBalloon()
{
    if (notificationId_ == 0)
        return;
    auto call = QDBusMessage::createMethodCall(
        NotificationService, NotificationPath, NotificationService, QStringLiteral("CloseNotification"));
    call << notificationId_;
    notificationId_ = 0;
    QDBusConnection::sessionBus().call(call, QDBus::Block, ServiceCallTimeout);
}

void TTrayIcon::StartClickTimer(int milliseconds)
{
    clickTimer_.start(milliseconds);
}

void TTrayIcon::StopClickTimer()
{
    clickTimer_.stop();
}

int TTrayIcon::DoubleClickTime()
{
    return QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

void TTrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        // The notification-area protocol reports each left click alone; two within the
        // double-click time are a double click, as the system would have reported them.
        if (sinceLastClick_.isValid() && sinceLastClick_.elapsed() <= DoubleClickTime()) {
            sinceLastClick_.invalidate();
            notify({ TrayMouseMessage::LButtonDblClk, TrayMouseMessage::LButtonUp });
            return;
        }
        sinceLastClick_.start();
        notify({ TrayMouseMessage::LButtonDown, TrayMouseMessage::LButtonUp });
        return;
    case QSystemTrayIcon::DoubleClick:
        sinceLastClick_.invalidate();
        notify({ TrayMouseMessage::LButtonDblClk, TrayMouseMessage::LButtonUp });
        return;
    case QSystemTrayIcon::MiddleClick:
        notify({ TrayMouseMessage::MButtonDown, TrayMouseMessage::MButtonUp });
        return;
    case QSystemTrayIcon::Context:
    case QSystemTrayIcon::Unknown:
        // Qt opens the context menu itself.
        return;
    }
}

void TTrayIcon::notify(std::initializer_list<TrayMouseMessage> messages)
{
    for (const auto message : messages)
        dispatch_([this, message] { model_.Notify(message); });
}

void TTrayIcon::onWatcherRegistered()
{
    checkNotificationArea();
    if (areaAvailable_ && ownItem_ == nullptr)
        return; // Qt's own icon serves it
    if (ownItem_ == nullptr) {
        ownItem_ = std::make_unique<StatusNotifierItem>(
            QStringLiteral("vespern"), QImage(QStringLiteral(":/vespern/tray.png")));
        ownItem_->OnActivate = [this](QPoint) { onActivated(QSystemTrayIcon::Trigger); };
        ownItem_->OnSecondaryActivate = [this](QPoint) { onActivated(QSystemTrayIcon::MiddleClick); };
        ownItem_->OnContextMenu = [this](QPoint at) {
            if (menu_ != nullptr)
                menu_->popup(at);
        };
        icon_.hide();
    }
    // A restarted notification area has forgotten the item: announce it again.
    if (ownItem_->Registered())
        ownItem_->Unregister();
    areaAvailable_ = true;
    dispatch_([this] { model_.TaskbarCreated(); });
}

void TTrayIcon::checkNotificationArea()
{
    if (ownItem_ != nullptr)
        return; // the area is watched through its bus name
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (available == areaAvailable_)
        return;
    areaAvailable_ = available;
    if (!available)
        return;
    // Re-announce the icon to the new notification area.
    icon_.hide();
    dispatch_([this] { model_.TaskbarCreated(); });
}

} // namespace vespern::ui
