#include "core/TimeText.h"
#include "core/TextValues.h"

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
