#pragma once

#include "platform/PowerPlatform.h"

#include <string>

namespace vespern {

inline constexpr char HelpFileName[] = "Vespern help.chm";

// The help file in the running executable's folder: that folder, one separator, the file name.
std::string HelpFilePath(PowerPlatform& platform);

// Opens the help file with its default program, owned by the main window. A missing file or a
// failed start shows nothing.
void OpenHelp(PowerPlatform& platform);

} // namespace vespern
