#pragma once

#include "platform/PowerPlatform.h"

#include <cstdint>
#include <string>

namespace vespern {

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const TimeOfDay&) const = default;
};

// A time of day in a system time picture: H HH h hh m mm s ss t tt, text in single quotes
// taken literally ('' is one quote), any other character copied. am/pm are the designators.
std::string FormatTimePicture(
    const std::string& picture, TimeOfDay time, const std::string& am = "AM", const std::string& pm = "PM");

// The time of day of a date-time value (days since 1899-12-30), to the second.
TimeOfDay TimeOfDayFromDateTime(double dateTime);

// Seconds since 1970-01-01 of a local date and time, for ordering ticks.
std::int64_t SecondsOfLocalTime(const SystemTime& time);

// Times of day as text in the user's long time format, as the event displays show them.
class TimeText {
public:
    explicit TimeText(PowerPlatform& platform);

    // The current local time in the long time format.
    std::string Now();
    std::string Format(TimeOfDay time);

private:
    PowerPlatform& platform_;
};

} // namespace vespern
