#pragma once

#include "Controls.h"
#include "platform/SystemInformation.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vespern {

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const TimeOfDay&) const = default;
};

// The parts of a time a picture shows; the designator is the AM/PM text.
enum class TimeUnit { Hour, Minute, Second, Designator };

// Where one part of a time stands in its text: [begin, end) in bytes.
struct TimeFieldSpan {
    TimeUnit unit;
    std::size_t begin;
    std::size_t end;
    bool operator==(const TimeFieldSpan&) const = default;
};

struct LaidOutTime {
    std::string text;
    std::vector<TimeFieldSpan> fields;
};

// A time of day in a system time picture: H HH h hh m mm s ss t tt, text in single quotes
// taken literally ('' is one quote), any other character copied. am/pm are the designators.
LaidOutTime LayOutTimePicture(
    const std::string& picture, TimeOfDay time, const std::string& am = "AM", const std::string& pm = "PM");
std::string FormatTimePicture(
    const std::string& picture, TimeOfDay time, const std::string& am = "AM", const std::string& pm = "PM");

// How much of a picture a text must give.
enum class TimeReading {
    Leading, // the text may stop after the hour or the minutes (the rest is then 0)
    EveryField, // every hour, minute and second field the picture has
};

// Reads a whole text written in a time picture the way people type it: one or two digits a
// field, the picture's separators, blanks where it has blanks, the designator in any letter case
// (or AM/PM); without a designator the hour reads as one of 24. Anything else does not read.
std::optional<TimeOfDay> ParseTimePicture(const std::string& picture, const std::string& text,
    const std::string& am = "AM", const std::string& pm = "PM", TimeReading reading = TimeReading::Leading);

// Whether a picture shows a time of day and nothing else (no date fields).
bool IsTimePicture(const std::string& picture);

// One step of a time picker's part: the part turns over within its range and leaves the others
// alone; a step of the designator moves the time by 12 hours.
TimeOfDay StepTimeOfDay(TimeOfDay time, TimeUnit unit, int steps);

// The time of day of a date-time value (days since 1899-12-30), to the second.
TimeOfDay TimeOfDayFromDateTime(double dateTime);

// Seconds since 1970-01-01 of a local date and time, for ordering ticks.
std::int64_t SecondsOfLocalTime(const SystemTime& time);

// Times of day as text in the user's long time format, as the event displays and the time
// pickers show them.
class TimeText {
public:
    explicit TimeText(SystemInformation& platform);

    std::string LongTimeFormat();
    // The current local time in the long time format.
    std::string Now();
    std::string Format(TimeOfDay time);
    LaidOutTime LayOut(const std::string& picture, TimeOfDay time);
    std::optional<TimeOfDay> Read(
        const std::string& picture, const std::string& text, TimeReading reading = TimeReading::Leading);

private:
    struct Designators {
        std::string am;
        std::string pm;
    };
    Designators designators(const std::string& picture);

    SystemInformation& platform_;
};

// The time of day a picker holds, and a new one for it; the date part stays.
TimeOfDay PickerTime(const TDateTimePickerEx& picker);
void SetPickerTime(TDateTimePickerEx& picker, TimeOfDay time);

// Text typed into a picker, read as a whole in the picture the picker shows: a time that reads
// becomes the picker's; any other text fails with "'text' is not a valid date and time" and the
// value stays.
void ReadPickerText(TDateTimePickerEx& picker, TimeText& times, const std::string& picture, const std::string& text);

} // namespace vespern
