#include "WindowFont.h"

#include <QAbstractButton>
#include <QFontDatabase>

#include <algorithm>

namespace vespern::ui {

namespace {

const QString Tahoma = QStringLiteral("Tahoma");

bool installed(const QString& family)
{
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

} // namespace

const QString& WindowFontFamily()
{
    static const QString family = [] {
        // Tahoma's metric-compatible stand-ins first, then faces of similar width.
        for (const QString& candidate : { Tahoma, QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                 QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans") })
            if (installed(candidate))
                return candidate;
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    return family;
}

QFont WindowFont(int pointSize)
{
    QFont font(WindowFontFamily());
    font.setPointSize(pointSize);
    return font;
}

QString WindowFontFamilyFor(const QString& family)
{
    if (WindowFontFamily() == Tahoma && installed(family))
        return family;
    return WindowFontFamily();
}

void FitCaption(QAbstractButton* button)
{
    const int wanted = button->sizeHint().width();
    if (wanted <= button->width())
        return;
    const QWidget* parent = button->parentWidget();
    const int room = parent != nullptr ? parent->width() - button->x() : wanted;
    button->resize(std::max(button->width(), std::min(wanted, room)), button->height());
}

} // namespace vespern::ui
