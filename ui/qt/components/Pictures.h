#pragma once

#include <QIcon>

namespace vespern::ui {

// The program's picture of that name ("menu-exit", "button-start"), from its resources.
QIcon ProgramPicture(const char* name);

} // namespace vespern::ui
