// libFuzzer target for the readers of the kernel's files: /proc/PID/stat, /proc/loadavg,
// /proc/stat, the CPU list under /sys and a power_supply attribute. The first byte picks the
// reader, the rest is the file. Each reader refuses the text or reads what it holds.

#include "platform/linux/system/PowerSupply.h"
#include "platform/linux/system/ProcessTable.h"
#include "platform/linux/system/SystemInformationRecords.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// The name is the text between the first "(" and the last ")".
void readStat(std::string_view text)
{
    const auto fields = vespern::ParseProcStat(text);
    if (fields)
        require(text.find("(" + fields->comm + ")") != std::string_view::npos);
}

void readLoadAverage(std::string_view text)
{
    const auto counters = vespern::ParseTaskCounters(text);
    if (counters)
        require(text.find(std::to_string(counters->first)) != std::string_view::npos);
}

// Every tick rate the system may have, including odd ones.
void readIdleTime(std::string_view text)
{
    for (const long ticksPerSecond : { 1L, 100L, 250L, 1000L, 999983L })
        vespern::ParseIdleTime(text, ticksPerSecond);
}

// A list that reads names at least one processor for each of its ranges.
void readCpuList(std::string_view text)
{
    const auto count = vespern::CountCpuList(text);
    if (count)
        require(*count >= 1);
}

void readSupplyNumber(std::string_view text)
{
    const auto number = vespern::ParseSupplyNumber(std::string(text));
    if (number)
        require(std::isfinite(*number));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 5) {
    case 0:
        readStat(text);
        break;
    case 1:
        readLoadAverage(text);
        break;
    case 2:
        readIdleTime(text);
        break;
    case 3:
        readCpuList(text);
        break;
    default:
        readSupplyNumber(text);
        break;
    }
    return 0;
}
