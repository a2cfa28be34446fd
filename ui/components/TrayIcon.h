#pragma once

#include "core/TTrayIcon.h"

#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

class QMenu;

namespace vespern::ui {

// The tray icon component over Qt's notification-area icon (StatusNotifierItem on modern
// desktops). The rules of tooltip and balloons are the core model's; this only shows them.
class TTrayIcon final : public QObject, public TrayIconShell {
    Q_OBJECT
public:
    explicit TTrayIcon(vespern::TTrayIcon& model, QObject* parent = nullptr);
    ~TTrayIcon() override;

    void SetPopupMenu(QMenu* menu);
    std::function<void()> OnDblClick;

    bool UpdateIcon(bool visible, const std::string& tooltip) override;
    bool ShowBalloon(
        const std::string& title, const std::string& text, BalloonIconKind kind, int timeoutMilliseconds) override;
    void HideBalloon() override;

    QSystemTrayIcon& icon() { return icon_; }

private:
    vespern::TTrayIcon& model_;
    QSystemTrayIcon icon_;
};

} // namespace vespern::ui
