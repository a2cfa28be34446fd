#include "Placement.h"

#include <QScreen>
#include <QWidget>

namespace vespern::ui {

void CentreOnOwner(QWidget* dialog)
{
    const QWidget* owner = dialog->parentWidget();
    const QRect over = owner != nullptr && owner->isVisible() ? owner->frameGeometry()
        : dialog->screen() != nullptr                         ? dialog->screen()->availableGeometry()
                                                              : QRect();
    if (over.isValid())
        dialog->move(over.center() - dialog->rect().center());
}

} // namespace vespern::ui
