#pragma once

// X11 display power management (the DPMS extension), kept apart because of Xlib's macros.

#include <string>

namespace vespern {

enum class DpmsResult { Done, NoDpms, Failed };

// Forces the displays of the X server named displayName off; problem says why when it did not.
DpmsResult ForceDisplayOff(const std::string& displayName, std::string& problem);

} // namespace vespern
