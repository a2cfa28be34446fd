#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

namespace vespern {

// NtQuerySystemInformation for the basic (processor count), performance (idle time) and
// time-of-day records, read from /proc/stat and the online-CPU list under /sys.
// Times are 100-nanosecond units; the current time counts from 1 January 1601 UTC.
class SystemInformationRecords {
public:
    static constexpr std::int32_t statusUnsuccessful = static_cast<std::int32_t>(0xC0000001);
    static constexpr std::int32_t statusInvalidInfoClass = static_cast<std::int32_t>(0xC0000003);
    static constexpr std::int32_t statusInfoLengthMismatch = static_cast<std::int32_t>(0xC0000004);

    // The clock gives the current time in 100-ns units since 1601; the default is the system clock.
    using Clock = std::function<std::int64_t()>;

    SystemInformationRecords(
        const std::filesystem::path& procRoot, const std::filesystem::path& sysRoot, Clock clock = {});

    std::int32_t Query(std::uint32_t infoClass, std::span<std::uint8_t> buffer, std::uint32_t length) const;

private:
    std::optional<std::uint32_t> onlineProcessors() const;
    std::optional<std::int64_t> idleTime() const;

    std::filesystem::path statFile_;
    std::filesystem::path onlineFile_;
    Clock clock_;
    long ticksPerSecond_;
};

// Parses a kernel CPU list such as "0-3,6,8-9"; nullopt when malformed.
std::optional<std::uint32_t> CountCpuList(std::string_view list);

// The idle time of all processors, in 100 ns units, from the contents of /proc/stat (its "cpu"
// line, in ticks of ticksPerSecond); nullopt when malformed.
std::optional<std::int64_t> ParseIdleTime(std::string_view statText, long ticksPerSecond);

} // namespace vespern
