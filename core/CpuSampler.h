#pragma once

#include "Controls.h"
#include "platform/PowerPlatform.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vespern {

// The controls of one mode that show and configure the low-CPU event.
struct CpuControls {
    TEdit& usage; // usageText, the last measured load in the "0.0" format
    TLabel& shown; // usageText followed by " %"
    TLabel& seconds; // steadySeconds: consecutive samples at or below N
    const TSpinEdit& threshold; // N, percent
    const TSpinEdit& duration; // M, samples
};

// The processor load from the system's idle and system times, one sample per monitor tick.
//
// The monitor's one-second tick is the sampling clock, so sampling never blocks the window. One
// sampling state serves both modes, as only one event is armed at a time. The first sample of each
// arming only takes the baseline: a load is only ever computed over an interval that lies within
// the arming, and only such loads count towards the condition.
class CpuSampler {
public:
    explicit CpuSampler(PowerPlatform& platform);

    // A low-CPU event is being armed: its next sample takes the baseline.
    void BeginArming();

    // One sample for the given controls; returns whether the condition is met: M consecutive loads
    // of this arming at or below N (a load above N starts the count again). A failed query ends the
    // run quietly (the next sample starts a new one); threshold or duration text that is not a
    // number fails with a TextConversionError.
    bool Sample(CpuControls& controls);

private:
    struct Times {
        std::int64_t idle = 0;
        std::int64_t system = 0;
    };

    bool startRun();
    std::optional<Times> queryTimes();

    PowerPlatform& platform_;
    bool queryResolved_ = false;
    bool runActive_ = false;
    int processors_ = 0;
    std::string decimalSeparator_ = ".";
    std::int64_t previousIdleTime_ = 0;
    std::int64_t previousSystemTime_ = 0;
    bool baselineTaken_ = false;
    bool firstLoadOfArming_ = true;
};

// A 64-bit system value as a floating number: the high half signed times 2^32 plus the low half.
double LargeIntegerToDouble(std::int64_t value);

} // namespace vespern
