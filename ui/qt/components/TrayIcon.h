#pragma once

#include "core/TTrayIcon.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>
#include <memory>

class QMenu;

namespace vespern::ui {

class StatusNotifierItem;

// The tray icon component over Qt's notification-area icon (StatusNotifierItem on modern
// desktops, the XEmbed tray elsewhere). The rules of tooltip, balloons and clicks are the core
// model's; this shows them and turns Qt's activations into the system's mouse notifications.
//
// Qt chooses its kind of icon once, at start; a notification area (StatusNotifierWatcher) that
// appears later gets the icon from a StatusNotifierItem of our own, published on the session bus.
//
// Balloons go to the desktop's notification service directly when it is on the session bus, so
// that a balloon can be withdrawn (CloseNotification with the id the service gave). Without the
// service Qt's own message is used, which cannot be withdrawn; the next one replaces it.
class TTrayIcon final : public QObject, public TrayIconShell {
    Q_OBJECT
public:
    using Dispatch = std::function<void(const std::function<void()>&)>;

    // dispatch runs a core handler as a user-interface event.
    TTrayIcon(vespern::TTrayIcon& model, Dispatch dispatch, QObject* parent = nullptr);
    ~TTrayIcon() override;

    void SetPopupMenu(QMenu* menu);

    bool Available() override;
    bool UpdateIcon(bool visible, const std::string& tooltip) override;
    bool ShowBalloon(
        const std::string& title, const std::string& text, BalloonIconKind kind, int timeoutMilliseconds) override;
    void HideBalloon() override;
    void StartClickTimer(int milliseconds) override;
    void StopClickTimer() override;
    int DoubleClickTime() override;

    QSystemTrayIcon& icon() { return icon_; }

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void notify(std::initializer_list<TrayMouseMessage> messages);
    // Polls for a notification area that comes or goes while the program runs.
    void checkNotificationArea();
    // A StatusNotifierWatcher came on the bus (a notification area started or restarted).
    void onWatcherRegistered();
    void showIcon(bool visible, const QString& tooltip);
    bool notifyThroughService(const QString& title, const QString& body, BalloonIconKind kind, int timeout);

    vespern::TTrayIcon& model_;
    Dispatch dispatch_;
    QSystemTrayIcon icon_;
    QMenu* menu_ = nullptr;
    std::unique_ptr<StatusNotifierItem> ownItem_;
    QTimer clickTimer_;
    QTimer areaPoll_;
    QElapsedTimer sinceLastClick_;
    bool areaAvailable_ = false;
    bool saidUnavailable_ = false;
    quint32 notificationId_ = 0;
};

} // namespace vespern::ui
