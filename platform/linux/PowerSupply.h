#pragma once

#include "platform/PowerPlatform.h"

#include <filesystem>

namespace vespern {

// Reads the batteries and mains adapters under a power_supply class directory (normally
// /sys/class/power_supply). Several batteries are weighted by their energy; without a
// battery the charge is 255, the system's "unknown".
SystemPowerStatus ReadPowerSupplies(const std::filesystem::path& classDirectory);

} // namespace vespern
