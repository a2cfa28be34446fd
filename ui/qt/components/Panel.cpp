#include "Panel.h"

#include "Accessibility.h"

#include <QPainter>

namespace vespern::ui {

Panel::Panel(QWidget* parent)
    : QFrame(parent)
{
    SetAccessibleRole(this, QAccessible::Client);
}

void Panel::SetCaption(const QString& caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    setAccessibleName(caption);
    SetAccessibleRole(this, caption.isEmpty() ? QAccessible::Client : QAccessible::Pane);
    update();
}

void Panel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (caption_.isEmpty())
        return;
    QPainter painter(this);
    painter.drawText(contentsRect(), Qt::AlignCenter, caption_);
}

} // namespace vespern::ui
