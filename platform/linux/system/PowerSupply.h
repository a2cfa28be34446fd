#pragma once

#include "platform/PowerPlatform.h"

#include <filesystem>
#include <optional>
#include <string>

namespace vespern {

// Reads the batteries and mains adapters under a power_supply class directory (normally
// /sys/class/power_supply). Several batteries are weighted by their energy; without a
// battery the charge is 255, the system's "unknown".
SystemPowerStatus ReadPowerSupplies(const std::filesystem::path& classDirectory);

// The number at the start of one line of a power_supply attribute file; nullopt when there is none.
std::optional<double> ParseSupplyNumber(const std::string& line);

} // namespace vespern
