#pragma once

// What each backend provides to the factory; every system's build defines both.

#include "PlatformFactory.h"

#include <memory>
#include <string>

namespace vespern {

// The real backend of the system the program runs on.
std::unique_ptr<PowerPlatform> CreateSystemPlatform(const PlatformChoice& choice);

// Writes one line to the standard error the program inherited, at once.
void WriteStandardErrorLine(const std::string& line);

} // namespace vespern
