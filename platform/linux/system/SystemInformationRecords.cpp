#include "SystemInformationRecords.h"

#include "platform/Win32Constants.h"
#include "platform/linux/UniqueFd.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <string_view>
#include <unistd.h>

namespace vespern {

namespace {

constexpr std::int64_t unitsPerSecond = 10000000;
constexpr std::int64_t secondsFrom1601To1970 = 11644473600;

std::int64_t systemTimeSince1601()
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return (now.tv_sec + secondsFrom1601To1970) * unitsPerSecond + now.tv_nsec / 100;
}

// The start of a small kernel file, which the kernel produces in one read.
std::optional<std::string> readStart(const std::filesystem::path& file, std::size_t limit)
{
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return std::nullopt;
    std::string text(limit, '\0');
    const ssize_t got = ::read(fd.get(), text.data(), limit);
    if (got <= 0)
        return std::nullopt;
    text.resize(static_cast<std::size_t>(got));
    return text;
}

void put64(std::span<std::uint8_t> buffer, std::size_t offset, std::int64_t value)
{
    const auto bits = static_cast<std::uint64_t>(value);
    for (std::size_t i = 0; i < 8; ++i)
        buffer[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::optional<std::uint32_t> recordSize(std::uint32_t infoClass)
{
    switch (infoClass) {
    case w32::SystemBasicInformation:
        return w32::SystemBasicInformationSize;
    case w32::SystemPerformanceInformation:
        return w32::SystemPerformanceInformationSize;
    case w32::SystemTimeOfDayInformation:
        return w32::SystemTimeOfDayInformationSize;
    default:
        return std::nullopt;
    }
}

bool readNumber(std::string_view& text, std::uint64_t& value)
{
    const auto start = text.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return false;
    text.remove_prefix(start);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc())
        return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

} // namespace

std::optional<std::uint32_t> CountCpuList(std::string_view list)
{
    while (!list.empty() && (list.back() == '\n' || list.back() == ' '))
        list.remove_suffix(1);
    if (list.empty())
        return std::nullopt;
    std::uint32_t count = 0;
    while (!list.empty()) {
        const auto comma = std::min(list.find(','), list.size());
        const std::string_view range = list.substr(0, comma);
        list.remove_prefix(std::min(comma + 1, list.size()));
        std::uint32_t first = 0;
        std::uint32_t last = 0;
        const auto dash = range.find('-');
        const std::string_view low = range.substr(0, dash);
        const std::string_view high = dash == std::string_view::npos ? low : range.substr(dash + 1);
        const auto a = std::from_chars(low.data(), low.data() + low.size(), first);
        const auto b = std::from_chars(high.data(), high.data() + high.size(), last);
        if (low.empty() || high.empty() || a.ec != std::errc() || a.ptr != low.data() + low.size()
            || b.ec != std::errc() || b.ptr != high.data() + high.size() || last < first)
            return std::nullopt;
        if (last - first >= std::numeric_limits<std::uint32_t>::max() - count)
            return std::nullopt; // more processors than a count can hold: no list of this system
        count += last - first + 1;
    }
    return count;
}

// The "cpu" line sums all processors: user nice system idle iowait irq softirq steal ...
std::optional<std::int64_t> ParseIdleTime(std::string_view statText, long ticksPerSecond)
{
    if (!statText.starts_with("cpu ") || ticksPerSecond <= 0)
        return std::nullopt;
    std::string_view line = statText.substr(0, statText.find('\n')).substr(4);
    std::array<std::uint64_t, 5> fields {};
    for (auto& field : fields)
        if (!readNumber(line, field))
            return std::nullopt;
    const std::uint64_t ticks = fields[3] + fields[4];
    const auto perSecond = static_cast<std::uint64_t>(ticksPerSecond);
    const std::uint64_t units = ticks / perSecond * unitsPerSecond + ticks % perSecond * unitsPerSecond / perSecond;
    return static_cast<std::int64_t>(units);
}

SystemInformationRecords::SystemInformationRecords(
    const std::filesystem::path& procRoot, const std::filesystem::path& sysRoot, Clock clock)
    : statFile_(procRoot / "stat")
    , onlineFile_(sysRoot / "devices" / "system" / "cpu" / "online")
    , clock_(clock ? std::move(clock) : Clock(systemTimeSince1601))
    , ticksPerSecond_(std::max(1L, ::sysconf(_SC_CLK_TCK)))
{
}

std::optional<std::uint32_t> SystemInformationRecords::onlineProcessors() const
{
    if (const auto list = readStart(onlineFile_, 4096))
        return CountCpuList(*list);
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(online)) : std::nullopt;
}

std::optional<std::int64_t> SystemInformationRecords::idleTime() const
{
    const auto text = readStart(statFile_, 512);
    return text ? ParseIdleTime(*text, ticksPerSecond_) : std::nullopt;
}

std::int32_t SystemInformationRecords::Query(
    std::uint32_t infoClass, std::span<std::uint8_t> buffer, std::uint32_t length) const
{
    const auto size = recordSize(infoClass);
    if (!size)
        return statusInvalidInfoClass;
    if (length != *size || buffer.size() < length)
        return statusInfoLengthMismatch;
    const auto record = buffer.first(length);

    switch (infoClass) {
    case w32::SystemBasicInformation: {
        const auto processors = onlineProcessors();
        if (!processors || *processors == 0)
            return statusUnsuccessful;
        std::fill(record.begin(), record.end(), std::uint8_t { 0 });
        record[w32::BasicNumberOfProcessorsOffset]
            = static_cast<std::uint8_t>(std::min<std::uint32_t>(*processors, 255));
        return 0;
    }
    case w32::SystemPerformanceInformation: {
        const auto idle = idleTime();
        if (!idle)
            return statusUnsuccessful;
        std::fill(record.begin(), record.end(), std::uint8_t { 0 });
        put64(record, w32::PerformanceIdleTimeOffset, *idle);
        return 0;
    }
    default:
        std::fill(record.begin(), record.end(), std::uint8_t { 0 });
        put64(record, w32::TimeOfDayCurrentTimeOffset, clock_());
        return 0;
    }
}

} // namespace vespern
