#pragma once

#include <string_view>

namespace vespern {

// Whether XDG_CURRENT_DESKTOP (a colon-separated list such as "ubuntu:GNOME") names the desktop,
// letter case aside. A hint only: what runs on the session bus decides.
bool CurrentDesktopIs(std::string_view name);

} // namespace vespern
