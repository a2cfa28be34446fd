#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

namespace vespern::ui {

// One picture of the notification-area protocol: ARGB32 in network byte order.
struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray bytes;
};
using SniPixmapList = QList<SniPixmap>;

struct SniToolTip {
    QString iconName;
    SniPixmapList pixmaps;
    QString title;
    QString text;
};

QDBusArgument& operator<<(QDBusArgument& argument, const SniPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, SniPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const SniToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& argument, SniToolTip& tip);

class StatusNotifierItem;

// The org.kde.StatusNotifierItem interface of the item object.
class StatusNotifierItemAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ Category)
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(QString Title READ Title)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(int WindowId READ WindowId)
    Q_PROPERTY(QString IconName READ IconName)
    Q_PROPERTY(vespern::ui::SniPixmapList IconPixmap READ IconPixmap)
    Q_PROPERTY(QString OverlayIconName READ EmptyName)
    Q_PROPERTY(vespern::ui::SniPixmapList OverlayIconPixmap READ NoPixmaps)
    Q_PROPERTY(QString AttentionIconName READ EmptyName)
    Q_PROPERTY(vespern::ui::SniPixmapList AttentionIconPixmap READ NoPixmaps)
    Q_PROPERTY(vespern::ui::SniToolTip ToolTip READ ToolTip)
    Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)

public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem& item);

    QString Category() const { return QStringLiteral("ApplicationStatus"); }
    QString Id() const;
    QString Title() const;
    QString Status() const { return QStringLiteral("Active"); }
    int WindowId() const { return 0; }
    QString IconName() const { return {}; }
    SniPixmapList IconPixmap() const;
    QString EmptyName() const { return {}; }
    SniPixmapList NoPixmaps() const { return {}; }
    SniToolTip ToolTip() const;
    bool ItemIsMenu() const { return false; }

public slots:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);

signals:
    void NewTitle();
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem& item_;
};

// A notification-area icon published on the session bus by the program itself. Qt decides once,
// when it starts, whether a notification area is there; this item lets the icon reach one that
// appears later (and registers again when the area is restarted).
class StatusNotifierItem final : public QObject {
    Q_OBJECT
public:
    StatusNotifierItem(QString id, const QImage& icon, QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // Publishes the item (when not yet published) and announces it to the notification area.
    bool Register();
    // Takes the item off the bus: the notification area removes the icon at once.
    void Unregister();
    bool Registered() const { return registered_; }
    void SetToolTip(const QString& tip);

    std::function<void(QPoint)> OnActivate;
    std::function<void(QPoint)> OnSecondaryActivate;
    std::function<void(QPoint)> OnContextMenu;

    const QString& id() const { return id_; }
    const QString& toolTip() const { return toolTip_; }
    const SniPixmapList& pixmaps() const { return pixmaps_; }
    const QString& serviceName() const { return serviceName_; }

private:
    QString id_;
    QString toolTip_;
    SniPixmapList pixmaps_;
    QString serviceName_;
    StatusNotifierItemAdaptor* adaptor_ = nullptr;
    bool registered_ = false;
};

} // namespace vespern::ui

Q_DECLARE_METATYPE(vespern::ui::SniPixmap)
Q_DECLARE_METATYPE(vespern::ui::SniToolTip)
