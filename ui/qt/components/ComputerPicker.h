#pragma once

#include "platform/ComputerDiscovery.h"

#include <optional>
#include <string>

namespace vespern::ui {

// The computer browser: a modal list that fills as computers announce themselves. While it is
// open the program's other windows take no input. Returns the chosen name, nothing on cancel.
std::optional<std::string> PickComputer(const std::string& title, ComputerDiscovery& discovery);

} // namespace vespern::ui
