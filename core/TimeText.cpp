#include "TimeText.h"

#include "platform/Win32Constants.h"

#include <cmath>

namespace vespern {

namespace {

// The designators of the user's locale (LOCALE_S1159, LOCALE_S2359).
constexpr std::uint32_t localeSAmDesignator = 0x28;
constexpr std::uint32_t localeSPmDesignator = 0x29;

std::string twoDigits(int value)
{
    return (value < 10 ? "0" : "") + std::to_string(value);
}

std::string number(int value, std::size_t letters)
{
    return letters >= 2 ? twoDigits(value) : std::to_string(value);
}

// A quoted literal from the opening quote at `at`; returns the index after the closing quote.
std::size_t appendLiteral(const std::string& picture, std::size_t at, std::string& out)
{
    std::size_t i = at + 1;
    while (i < picture.size()) {
        if (picture[i] != '\'') {
            out += picture[i++];
            continue;
        }
        if (i + 1 < picture.size() && picture[i + 1] == '\'') {
            out += '\'';
            i += 2;
            continue;
        }
        return i + 1;
    }
    return i;
}

} // namespace

std::string FormatTimePicture(const std::string& picture, TimeOfDay time, const std::string& am, const std::string& pm)
{
    std::string out;
    std::size_t i = 0;
    while (i < picture.size()) {
        const char letter = picture[i];
        if (letter == '\'') {
            i = appendLiteral(picture, i, out);
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == letter)
            ++run;
        const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
        const std::string& designator = time.hour < 12 ? am : pm;
        switch (letter) {
        case 'H':
            out += number(time.hour, run);
            break;
        case 'h':
            out += number(hour12, run);
            break;
        case 'm':
            out += number(time.minute, run);
            break;
        case 's':
            out += number(time.second, run);
            break;
        case 't':
            out += run >= 2 ? designator : designator.substr(0, 1);
            break;
        default:
            out.append(run, letter);
        }
        i += run;
    }
    return out;
}

TimeOfDay TimeOfDayFromDateTime(double dateTime)
{
    const double fraction = std::fabs(dateTime - std::trunc(dateTime));
    const long long milliseconds = std::llround(fraction * 86400000.0) % 86400000;
    const int seconds = static_cast<int>(milliseconds / 1000);
    return { seconds / 3600, seconds / 60 % 60, seconds % 60 };
}

std::int64_t SecondsOfLocalTime(const SystemTime& time)
{
    // Days from the civil date (proleptic Gregorian calendar).
    const int month = time.wMonth;
    const std::int64_t year = static_cast<std::int64_t>(time.wYear) - (month <= 2 ? 1 : 0);
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + time.wDay - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t days = era * 146097 + dayOfEra - 719468;
    return days * 86400 + time.wHour * 3600 + time.wMinute * 60 + time.wSecond;
}

TimeText::TimeText(PowerPlatform& platform)
    : platform_(platform)
{
}

std::string TimeText::Now()
{
    SystemTime now;
    platform_.GetLocalTime(now);
    return Format({ now.wHour, now.wMinute, now.wSecond });
}

std::string TimeText::Format(TimeOfDay time)
{
    const std::string picture = platform_.GetLocaleInfoA(w32::LocaleUserDefault, w32::LocaleSTimeFormat);
    std::string am;
    std::string pm;
    // Only a picture with a designator needs them; a locale that names none still tells morning from evening.
    if (picture.find('t') != std::string::npos) {
        am = platform_.GetLocaleInfoA(w32::LocaleUserDefault, localeSAmDesignator);
        pm = platform_.GetLocaleInfoA(w32::LocaleUserDefault, localeSPmDesignator);
    }
    return FormatTimePicture(picture, time, am.empty() ? "AM" : am, pm.empty() ? "PM" : pm);
}

} // namespace vespern
