#include "PowerSupply.h"

#include <cmath>
#include <fstream>
#include <optional>
#include <string>

namespace vespern {

namespace {

std::optional<std::string> readLine(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line))
        return std::nullopt;
    return line;
}

std::optional<double> readNumber(const std::filesystem::path& file)
{
    const auto line = readLine(file);
    return line ? ParseSupplyNumber(*line) : std::nullopt;
}

// Energy in µWh, or charge in µAh when the driver reports only that.
std::optional<std::pair<double, double>> nowAndFull(const std::filesystem::path& supply)
{
    for (const char* kind : { "energy", "charge" }) {
        const auto now = readNumber(supply / (std::string(kind) + "_now"));
        const auto full = readNumber(supply / (std::string(kind) + "_full"));
        if (now && full && *full > 0)
            return std::pair { *now, *full };
    }
    return std::nullopt;
}

} // namespace

// Written by the kernel as an integer; "inf" or "nan" there is no reading.
std::optional<double> ParseSupplyNumber(const std::string& line)
{
    try {
        std::size_t used = 0;
        const double value = std::stod(line, &used);
        return used > 0 && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

SystemPowerStatus ReadPowerSupplies(const std::filesystem::path& classDirectory)
{
    SystemPowerStatus status;
    double energyNow = 0;
    double energyFull = 0;
    double capacitySum = 0;
    int capacityCount = 0;
    bool anyBattery = false;
    bool anyMains = false;
    bool mainsOnline = false;

    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(classDirectory, error)) {
        const auto type = readLine(entry.path() / "type");
        if (!type)
            continue;
        if (*type == "Mains") {
            anyMains = true;
            mainsOnline = mainsOnline || readNumber(entry.path() / "online").value_or(0) > 0;
            continue;
        }
        if (*type != "Battery" || readNumber(entry.path() / "present").value_or(1) == 0)
            continue;
        anyBattery = true;
        if (const auto energy = nowAndFull(entry.path())) {
            energyNow += energy->first;
            energyFull += energy->second;
        } else if (const auto capacity = readNumber(entry.path() / "capacity")) {
            capacitySum += *capacity;
            ++capacityCount;
        }
    }

    if (anyMains)
        status.ACLineStatus = mainsOnline ? 1 : 0;
    if (!anyBattery) {
        status.BatteryFlag = 128; // no system battery
        return status;
    }
    double percent = -1;
    if (energyFull > 0)
        percent = 100.0 * energyNow / energyFull;
    else if (capacityCount > 0)
        percent = capacitySum / capacityCount;
    if (percent >= 0) {
        const long rounded = std::lround(percent);
        status.BatteryLifePercent = static_cast<std::uint8_t>(rounded > 100 ? 100 : rounded);
        status.BatteryFlag = status.BatteryLifePercent < 5 ? 4 : status.BatteryLifePercent < 33 ? 2 : 1;
    }
    return status;
}

} // namespace vespern
