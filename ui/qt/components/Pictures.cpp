#include "Pictures.h"

#include <QString>

namespace vespern::ui {

QIcon ProgramPicture(const char* name)
{
    return QIcon(QStringLiteral(":/vespern/%1.png").arg(QLatin1String(name)));
}

} // namespace vespern::ui
