#include "Accessibility.h"

#include "LinkLabel.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace vespern::ui {

namespace {

constexpr const char* RoleProperty = "vespernAccessibleRole";
constexpr const char* DecorativeProperty = "vespernDecorative";

bool isDecorative(const QObject* object)
{
    return object->property(DecorativeProperty).toBool();
}

// The children a reader is told about: widgets, neither windows nor decorations, in stacking order.
QList<QWidget*> readableChildren(const QWidget* widget)
{
    QList<QWidget*> children;
    for (QObject* child : widget->children()) {
        auto* childWidget = qobject_cast<QWidget*>(child);
        if (childWidget != nullptr && !childWidget->isWindow() && !isDecorative(childWidget)
            && !childWidget->objectName().startsWith(QLatin1String("qt_")))
            children.append(childWidget);
    }
    return children;
}

// A window or panel with its own role, whose decorative children are not listed.
class RoleAccessible final : public QAccessibleWidget {
public:
    RoleAccessible(QWidget* widget, QAccessible::Role role)
        : QAccessibleWidget(widget, role)
    {
    }

    // The role can change with the widget (a panel that gets a caption).
    QAccessible::Role role() const override
    {
        const QVariant role = widget()->property(RoleProperty);
        return role.isValid() ? static_cast<QAccessible::Role>(role.toInt()) : QAccessibleWidget::role();
    }

    int childCount() const override { return static_cast<int>(readableChildren(widget()).size()); }

    QAccessibleInterface* child(int index) const override
    {
        const auto children = readableChildren(widget());
        if (index < 0 || index >= children.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(children.at(index));
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (child == nullptr || !child->object() || !child->object()->isWidgetType())
            return -1;
        return static_cast<int>(readableChildren(widget()).indexOf(static_cast<QWidget*>(child->object())));
    }
};

// A link: named by its text, pressed like a button.
class LinkAccessible final : public QAccessibleWidget {
public:
    explicit LinkAccessible(LinkLabel* link)
        : QAccessibleWidget(link, QAccessible::Link)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<LinkLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override { return { pressAction(), setFocusAction() }; }

    void doAction(const QString& action) override
    {
        if (action == pressAction() && widget()->isEnabled())
            static_cast<LinkLabel*>(widget())->activate();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* interfaceFor(const QString& className, QObject* object)
{
    // Asked once per class of the object's hierarchy, most derived first: answer only for that one.
    if (object == nullptr || !object->isWidgetType() || className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (auto* link = qobject_cast<LinkLabel*>(widget))
        return new LinkAccessible(link);
    const QVariant role = widget->property(RoleProperty);
    if (!role.isValid())
        return nullptr;
    return new RoleAccessible(widget, static_cast<QAccessible::Role>(role.toInt()));
}

} // namespace

void InstallAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(interfaceFor);
        return true;
    }();
    (void)installed;
}

void SetAccessibleRole(QWidget* widget, QAccessible::Role role)
{
    widget->setProperty(RoleProperty, static_cast<int>(role));
}

void MarkDecorative(QWidget* widget)
{
    widget->setProperty(DecorativeProperty, true);
    widget->setFocusPolicy(Qt::NoFocus);
}

} // namespace vespern::ui
