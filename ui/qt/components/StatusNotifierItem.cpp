#include "StatusNotifierItem.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QtEndian>

namespace vespern::ui {

namespace {

const QString ItemPath = QStringLiteral("/StatusNotifierItem");
const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString WatcherPath = QStringLiteral("/StatusNotifierWatcher");
constexpr int WatcherCallTimeout = 1000; // milliseconds

SniPixmap pixmapOf(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    SniPixmap pixmap { argb.width(), argb.height(), {} };
    pixmap.bytes.resize(static_cast<qsizetype>(argb.width()) * argb.height() * 4);
    auto* out = reinterpret_cast<quint32*>(pixmap.bytes.data());
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            *out++ = qToBigEndian<quint32>(line[x]);
    }
    return pixmap;
}

int instanceNumber()
{
    static int count = 0;
    return ++count;
}

} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const SniPixmap& pixmap)
{
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.bytes;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, SniPixmap& pixmap)
{
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.bytes;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const SniToolTip& tip)
{
    argument.beginStructure();
    argument << tip.iconName << tip.pixmaps << tip.title << tip.text;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, SniToolTip& tip)
{
    argument.beginStructure();
    argument >> tip.iconName >> tip.pixmaps >> tip.title >> tip.text;
    argument.endStructure();
    return argument;
}

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem& item)
    : QDBusAbstractAdaptor(&item)
    , item_(item)
{
    setAutoRelaySignals(false);
}

QString StatusNotifierItemAdaptor::Id() const
{
    return item_.id();
}

QString StatusNotifierItemAdaptor::Title() const
{
    return QCoreApplication::applicationName();
}

SniPixmapList StatusNotifierItemAdaptor::IconPixmap() const
{
    return item_.pixmaps();
}

SniToolTip StatusNotifierItemAdaptor::ToolTip() const
{
    return { {}, {}, item_.toolTip(), {} };
}

void StatusNotifierItemAdaptor::Activate(int x, int y)
{
    if (item_.OnActivate)
        item_.OnActivate({ x, y });
}

void StatusNotifierItemAdaptor::SecondaryActivate(int x, int y)
{
    if (item_.OnSecondaryActivate)
        item_.OnSecondaryActivate({ x, y });
}

void StatusNotifierItemAdaptor::ContextMenu(int x, int y)
{
    if (item_.OnContextMenu)
        item_.OnContextMenu({ x, y });
}

void StatusNotifierItemAdaptor::Scroll(int, const QString&) { }

StatusNotifierItem::StatusNotifierItem(QString id, const QImage& icon, QObject* parent)
    : QObject(parent)
    , id_(std::move(id))
    , serviceName_(QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                       .arg(QCoreApplication::applicationPid())
                       .arg(instanceNumber()))
{
    qDBusRegisterMetaType<SniPixmap>();
    qDBusRegisterMetaType<SniPixmapList>();
    qDBusRegisterMetaType<SniToolTip>();
    if (!icon.isNull())
        pixmaps_.append(pixmapOf(icon));
    adaptor_ = new StatusNotifierItemAdaptor(*this);
}

StatusNotifierItem::~StatusNotifierItem()
{
    Unregister();
}

bool StatusNotifierItem::Register()
{
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!registered_) {
        if (!bus.registerObject(ItemPath, this, QDBusConnection::ExportAdaptors))
            return false;
        if (!bus.registerService(serviceName_)) {
            bus.unregisterObject(ItemPath);
            return false;
        }
        registered_ = true;
    }
    auto call = QDBusMessage::createMethodCall(
        WatcherService, WatcherPath, WatcherService, QStringLiteral("RegisterStatusNotifierItem"));
    call << serviceName_;
    return bus.call(call, QDBus::Block, WatcherCallTimeout).type() == QDBusMessage::ReplyMessage;
}

void StatusNotifierItem::Unregister()
{
    if (!registered_)
        return;
    registered_ = false;
    auto bus = QDBusConnection::sessionBus();
    bus.unregisterService(serviceName_);
    bus.unregisterObject(ItemPath);
}

void StatusNotifierItem::SetToolTip(const QString& tip)
{
    if (tip == toolTip_)
        return;
    toolTip_ = tip;
    emit adaptor_->NewToolTip();
}

} // namespace vespern::ui
