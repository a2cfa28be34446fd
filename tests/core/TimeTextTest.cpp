#include "core/TimeText.h"
#include "core/TextValues.h"
#include "core/VespernError.h"
#include "support/ScriptedPlatform.h"

#include <cmath>
#include <optional>

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

TEST(TimeText, FormatsEveryPictureElement)
{
    struct Case {
        std::string picture;
        TimeOfDay time;
        std::string expected;
    };
    const std::vector<Case> cases = {
        { "HH:mm:ss", { 1, 2, 3 }, "01:02:03" },
        { "H:m:s", { 1, 2, 3 }, "1:2:3" },
        { "hh:mm:ss tt", { 13, 5, 9 }, "01:05:09 PM" },
        { "h:mm:ss tt", { 0, 0, 0 }, "12:00:00 AM" },
        { "h:mm:ss t", { 12, 30, 0 }, "12:30:00 P" },
        { "HH'h'mm'm'ss", { 23, 59, 58 }, "23h59m58" },
        { "HH 'o''clock'", { 7, 0, 0 }, "07 o'clock" },
        { "HH.mm.ss", { 9, 8, 7 }, "09.08.07" },
        { "HHH:mm", { 9, 8, 7 }, "09:08" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatTimePicture(c.picture, c.time), c.expected) << c.picture;
    EXPECT_EQ(FormatTimePicture("tt h", { 18, 0, 0 }, "vorm.", "nachm."), "nachm. 6");
}

TEST(TimeText, ReadsAWholeTypedTimeInThePicture)
{
    struct Case {
        std::string picture;
        std::string text;
        std::optional<TimeOfDay> expected;
    };
    const std::vector<Case> cases = {
        { "HH:mm:ss", "07:41:44", TimeOfDay { 7, 41, 44 } },
        { "HH:mm:ss", "  7:41:44 ", TimeOfDay { 7, 41, 44 } },
        { "HH:mm:ss", "7:5:3", TimeOfDay { 7, 5, 3 } },
        { "HH:mm:ss", "23:59", TimeOfDay { 23, 59, 0 } },
        { "HH:mm:ss", "9", TimeOfDay { 9, 0, 0 } },
        { "HH:mm:ss", "7:41:44 pm", TimeOfDay { 19, 41, 44 } },
        { "h:mm:ss tt", "7:41:44 PM", TimeOfDay { 19, 41, 44 } },
        { "h:mm:ss tt", "12:00:00 am", TimeOfDay { 0, 0, 0 } },
        { "h:mm:ss tt", "12:30:00PM", TimeOfDay { 12, 30, 0 } },
        { "h:mm:ss tt", "19:30:00", TimeOfDay { 19, 30, 0 } },
        { "tt h:mm", "pm 6:15", TimeOfDay { 18, 15, 0 } },
        { "HH.mm.ss", "09.08.07", TimeOfDay { 9, 8, 7 } },
        { "HH'h'mm", "10h30", TimeOfDay { 10, 30, 0 } },
        // What does not read.
        { "HH:mm:ss", "", std::nullopt },
        { "HH:mm:ss", "   ", std::nullopt },
        { "HH:mm:ss", "2x:00:00", std::nullopt },
        { "HH:mm:ss", "07:", std::nullopt },
        { "HH:mm:ss", "24:00:00", std::nullopt },
        { "HH:mm:ss", "07:60:00", std::nullopt },
        { "HH:mm:ss", "07:41:44:01", std::nullopt },
        { "HH:mm:ss", "074144", std::nullopt },
        { "HH:mm:ss", "07.41.44", std::nullopt },
        { "h:mm:ss tt", "13:00:00 PM", std::nullopt },
        { "h:mm:ss tt", "0:10:00 AM", std::nullopt },
        { "HH:mm:ss", "tomorrow", std::nullopt },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseTimePicture(c.picture, c.text), c.expected) << c.picture << " / '" << c.text << "'";
    EXPECT_EQ(ParseTimePicture("h:mm tt", "6:15 nachm.", "vorm.", "nachm."), (TimeOfDay { 18, 15, 0 }));

    // While a time is being typed, only a text with every field is a time: "2" on the way to
    // "2x:00:00" is not 02:00:00.
    const auto whole = [](const std::string& picture, const std::string& text) {
        return ParseTimePicture(picture, text, "AM", "PM", TimeReading::EveryField);
    };
    EXPECT_EQ(whole("HH:mm:ss", "07:41:44"), (TimeOfDay { 7, 41, 44 }));
    EXPECT_EQ(whole("h:mm:ss tt", "7:41:44"), (TimeOfDay { 7, 41, 44 }));
    EXPECT_EQ(whole("h:mm:ss tt", "7:41:44 pm"), (TimeOfDay { 19, 41, 44 }));
    for (const std::string partial : { "2", "07:41", "07:41:" })
        EXPECT_FALSE(whole("HH:mm:ss", partial)) << partial;
}

TEST(TimeText, LaysOutTheFieldsAPickerSteps)
{
    const auto laidOut = LayOutTimePicture("h:mm:ss tt", { 19, 5, 9 });
    EXPECT_EQ(laidOut.text, "7:05:09 PM");
    EXPECT_EQ(laidOut.fields,
        (std::vector<TimeFieldSpan> { { TimeUnit::Hour, 0, 1 }, { TimeUnit::Minute, 2, 4 }, { TimeUnit::Second, 5, 7 },
            { TimeUnit::Designator, 8, 10 } }));
    // Each part turns over within its range and leaves the others alone.
    EXPECT_EQ(StepTimeOfDay({ 23, 59, 59 }, TimeUnit::Hour, 1), (TimeOfDay { 0, 59, 59 }));
    EXPECT_EQ(StepTimeOfDay({ 0, 0, 0 }, TimeUnit::Minute, -1), (TimeOfDay { 0, 59, 0 }));
    EXPECT_EQ(StepTimeOfDay({ 1, 2, 58 }, TimeUnit::Second, 10), (TimeOfDay { 1, 2, 8 }));
    EXPECT_EQ(StepTimeOfDay({ 19, 0, 0 }, TimeUnit::Designator, 1), (TimeOfDay { 7, 0, 0 }));
    EXPECT_TRUE(IsTimePicture("HH:mm"));
    EXPECT_TRUE(IsTimePicture("HH'h'mm"));
    EXPECT_FALSE(IsTimePicture("MM/dd/YYYY"));
    EXPECT_FALSE(IsTimePicture(""));
    EXPECT_FALSE(IsTimePicture("::"));
}

TEST(TimeText, APickerTakesAReadableTextAndRefusesTheRest)
{
    ScriptedPlatform fake;
    TimeText times(fake);
    TDateTimePickerEx picker;
    picker.DateTime = 46000.0 + 1.0 / 24.0;
    ReadPickerText(picker, times, "HH:mm:ss", "07:41:44");
    EXPECT_EQ(PickerTime(picker), (TimeOfDay { 7, 41, 44 }));
    EXPECT_EQ(std::floor(picker.DateTime), 46000.0);
    try {
        ReadPickerText(picker, times, "HH:mm:ss", "7 o'clock");
        ADD_FAILURE() << "an unreadable time was taken";
    } catch (const VespernError& error) {
        EXPECT_STREQ(error.what(), "'7 o'clock' is not a valid date and time");
    }
    EXPECT_EQ(PickerTime(picker), (TimeOfDay { 7, 41, 44 }));
}

TEST(TimeText, TheTimeOfDayOfADateTimeIsItsFraction)
{
    EXPECT_EQ(TimeOfDayFromDateTime(1.0 / 24.0), (TimeOfDay { 1, 0, 0 }));
    EXPECT_EQ(TimeOfDayFromDateTime(46000.5), (TimeOfDay { 12, 0, 0 }));
    EXPECT_EQ(TimeOfDayFromDateTime(46000.0 + 86399.0 / 86400.0), (TimeOfDay { 23, 59, 59 }));
    EXPECT_EQ(TimeOfDayFromDateTime(-1.25), (TimeOfDay { 6, 0, 0 }));
}

TEST(TimeText, LocalTimesAreOrderedAcrossMonthsAndYears)
{
    const SystemTime lastSecond { 2026, 12, 4, 31, 23, 59, 59, 0 };
    const SystemTime newYear { 2027, 1, 5, 1, 0, 0, 0, 0 };
    EXPECT_EQ(SecondsOfLocalTime(newYear) - SecondsOfLocalTime(lastSecond), 1);
    EXPECT_EQ(SecondsOfLocalTime({ 1970, 1, 4, 1, 0, 0, 0, 0 }), 0);
    EXPECT_EQ(SecondsOfLocalTime({ 2024, 3, 5, 1, 0, 0, 0, 0 }) - SecondsOfLocalTime({ 2024, 2, 4, 28, 0, 0, 0, 0 }),
        2 * 86400);
}

TEST(TextValues, ConvertsWholeAndDecimalNumbers)
{
    EXPECT_EQ(ParseInteger("42"), 42);
    EXPECT_EQ(ParseInteger(" -7 "), -7);
    EXPECT_EQ(ParseInteger("+3"), 3);
    for (const std::string bad : { "", " ", "2.5", "1e3", "abc", "12a" })
        EXPECT_FALSE(ParseInteger(bad)) << bad;
    EXPECT_EQ(ParseNumber("25,5", ","), 25.5);
    EXPECT_EQ(ParseNumber("25.5", "."), 25.5);
    EXPECT_FALSE(ParseNumber("25.5", ","));
    EXPECT_FALSE(ParseNumber("", "."));
    EXPECT_THROW(IntegerFromText("x"), TextConversionError);
}

TEST(TextValues, FormatsOneDecimalPlaceRoundingHalvesAway)
{
    EXPECT_EQ(FormatOneDecimal(25.5, "."), "25.5");
    EXPECT_EQ(FormatOneDecimal(0.5, ","), "0,5");
    EXPECT_EQ(FormatOneDecimal(100.5, "."), "100.5");
    EXPECT_EQ(FormatOneDecimal(25.25, "."), "25.3");
    EXPECT_EQ(FormatOneDecimal(3.04, "."), "3.0");
    EXPECT_EQ(FormatOneDecimal(-0.26, "."), "-0.3");
}

} // namespace
} // namespace vespern::test
