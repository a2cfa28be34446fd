#include "CpuSampler.h"

#include "TextValues.h"
#include "platform/Win32Constants.h"

#include <array>

namespace vespern {

namespace {

std::int64_t readInt64(const std::uint8_t* bytes)
{
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return static_cast<std::int64_t>(value);
}

} // namespace

double LargeIntegerToDouble(std::int64_t value)
{
    const auto bits = static_cast<std::uint64_t>(value);
    const auto high = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits >> 32));
    const auto low = static_cast<std::uint32_t>(bits & 0xFFFFFFFFu);
    return static_cast<double>(high) * 4294967296.0 + static_cast<double>(low);
}

CpuSampler::CpuSampler(PowerPlatform& platform)
    : platform_(platform)
{
}

void CpuSampler::BeginArming()
{
    runActive_ = false;
    baselineTaken_ = false;
    firstLoadOfArming_ = true;
}

bool CpuSampler::startRun()
{
    if (!queryResolved_) {
        const ModuleHandle ntdll = platform_.GetModuleHandleA("ntdll.dll");
        queryResolved_ = ntdll != 0 && platform_.GetProcAddress(ntdll, "NtQuerySystemInformation") != 0;
        if (!queryResolved_)
            return false;
    }
    std::array<std::uint8_t, w32::SystemBasicInformationSize> basic {};
    if (platform_.NtQuerySystemInformation(w32::SystemBasicInformation, basic, w32::SystemBasicInformationSize) != 0)
        return false;
    processors_ = basic[w32::BasicNumberOfProcessorsOffset];
    std::string separator = platform_.GetLocaleInfoA(w32::LocaleUserDefault, w32::LocaleSDecimal);
    decimalSeparator_ = separator.empty() ? std::string(".") : std::move(separator);
    runActive_ = true;
    return true;
}

std::optional<CpuSampler::Times> CpuSampler::queryTimes()
{
    std::array<std::uint8_t, w32::SystemTimeOfDayInformationSize> timeOfDay {};
    if (platform_.NtQuerySystemInformation(
            w32::SystemTimeOfDayInformation, timeOfDay, w32::SystemTimeOfDayInformationSize)
        != 0)
        return std::nullopt;
    std::array<std::uint8_t, w32::SystemPerformanceInformationSize> performance {};
    if (platform_.NtQuerySystemInformation(
            w32::SystemPerformanceInformation, performance, w32::SystemPerformanceInformationSize)
        != 0)
        return std::nullopt;
    return Times { readInt64(performance.data() + w32::PerformanceIdleTimeOffset),
        readInt64(timeOfDay.data() + w32::TimeOfDayCurrentTimeOffset) };
}

bool CpuSampler::Sample(CpuControls& controls)
{
    if (!runActive_ && !startRun())
        return false;
    const auto times = queryTimes();
    if (!times) {
        runActive_ = false;
        return false;
    }
    const double idle = LargeIntegerToDouble(times->idle) - LargeIntegerToDouble(previousIdleTime_);
    const double system = LargeIntegerToDouble(times->system) - LargeIntegerToDouble(previousSystemTime_);
    // A load needs a baseline of this arming and an interval the clock has moved through.
    const bool computable = baselineTaken_ && previousIdleTime_ != 0 && system > 0 && processors_ > 0;
    previousIdleTime_ = times->idle;
    previousSystemTime_ = times->system;
    baselineTaken_ = true;
    if (!computable)
        return false;

    const double load = 100.0 - (idle / system) * 100.0 / processors_ + 0.5;
    controls.usage.Text = FormatOneDecimal(load, decimalSeparator_);
    controls.shown.Caption = controls.usage.Text + " %";
    const double usage = NumberFromText(controls.usage.Text, decimalSeparator_);
    const double threshold = NumberFromText(controls.threshold.Text, decimalSeparator_);
    const long long duration = IntegerFromText(controls.duration.Text);
    // The count says how long the load has stayed low: a load above N, and a new arming, start it
    // again. Counts carried over from an earlier arming are shown until this first load only.
    const long long counted = firstLoadOfArming_ ? 0 : IntegerFromText(controls.seconds.Caption);
    firstLoadOfArming_ = false;
    const long long steady = usage <= threshold ? counted + 1 : 0;
    controls.seconds.Caption = std::to_string(steady);
    return steady > 0 && steady >= duration;
}

} // namespace vespern
