#include "TimeText.h"

#include "VespernError.h"
#include "platform/Win32Constants.h"

#include <cctype>
#include <cmath>

namespace vespern {

namespace {

// The designators of the user's locale (LOCALE_S1159, LOCALE_S2359).
constexpr std::uint32_t localeSAmDesignator = 0x28;
constexpr std::uint32_t localeSPmDesignator = 0x29;
constexpr int SecondsPerDay = 24 * 60 * 60;

// One element of a time picture: a run of one field letter, or literal text.
struct PictureToken {
    char letter = 0; // 0 for literal text
    std::size_t run = 0;
    std::string literal;
};

bool isFieldLetter(char letter)
{
    return letter == 'H' || letter == 'h' || letter == 'm' || letter == 's' || letter == 't';
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

std::vector<PictureToken> tokenize(const std::string& picture)
{
    std::vector<PictureToken> tokens;
    const auto literal = [&tokens]() -> std::string& {
        if (tokens.empty() || tokens.back().letter != 0)
            tokens.emplace_back();
        return tokens.back().literal;
    };
    std::size_t i = 0;
    while (i < picture.size()) {
        const char letter = picture[i];
        if (letter == '\'') {
            i = appendLiteral(picture, i, literal());
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == letter)
            ++run;
        if (isFieldLetter(letter))
            tokens.push_back({ letter, run, {} });
        else
            literal().append(run, letter);
        i += run;
    }
    return tokens;
}

std::string twoDigits(int value)
{
    return (value < 10 ? "0" : "") + std::to_string(value);
}

std::string number(int value, std::size_t letters)
{
    return letters >= 2 ? twoDigits(value) : std::to_string(value);
}

TimeUnit unitOf(char letter)
{
    switch (letter) {
    case 'm':
        return TimeUnit::Minute;
    case 's':
        return TimeUnit::Second;
    case 't':
        return TimeUnit::Designator;
    default:
        return TimeUnit::Hour;
    }
}

char lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Reads text against a picture, position by position.
class TimeReader {
public:
    TimeReader(const std::string& text, const std::string& am, const std::string& pm, TimeReading reading)
        : text_(text)
        , am_(am)
        , pm_(pm)
        , reading_(reading)
    {
    }

    std::optional<TimeOfDay> Read(const std::vector<PictureToken>& tokens)
    {
        skipBlanks();
        bool lastWasField = false;
        for (const auto& token : tokens) {
            if (atEnd()) {
                if (reading_ == TimeReading::EveryField && token.letter != 0 && token.letter != 't')
                    return std::nullopt;
                if (reading_ == TimeReading::Leading)
                    break;
                continue;
            }
            if (token.letter == 0) {
                if (!literal(token.literal))
                    return std::nullopt;
                lastWasField = false;
            } else if (token.letter == 't') {
                designator(token.run);
            } else {
                if (!field(token.letter))
                    return std::nullopt;
                lastWasField = true;
            }
        }
        // A designator after a picture without one, as in "7:41 PM" for "HH:mm".
        if (!designator_)
            designator(2);
        skipBlanks();
        if (!atEnd() || hour_ < 0 || (!lastWasField && !designator_))
            return std::nullopt;
        return validated();
    }

private:
    bool atEnd() const { return at_ >= text_.size(); }

    void skipBlanks()
    {
        while (!atEnd() && isBlank(text_[at_]))
            ++at_;
    }

    bool literal(const std::string& expected)
    {
        for (const char c : expected) {
            if (isBlank(c)) {
                skipBlanks();
                continue;
            }
            if (atEnd() || lower(text_[at_]) != lower(c))
                return false;
            ++at_;
        }
        return true;
    }

    bool field(char letter)
    {
        int value = 0;
        std::size_t digits = 0;
        while (digits < 2 && !atEnd() && std::isdigit(static_cast<unsigned char>(text_[at_]))) {
            value = value * 10 + (text_[at_] - '0');
            ++at_;
            ++digits;
        }
        if (digits == 0)
            return false;
        switch (unitOf(letter)) {
        case TimeUnit::Hour:
            hour_ = value;
            break;
        case TimeUnit::Minute:
            minute_ = value;
            break;
        default:
            second_ = value;
        }
        return true;
    }

    // Takes the longest designator that stands here; none is fine (the hour is then one of 24).
    void designator(std::size_t letters)
    {
        skipBlanks();
        for (const auto& [text, afternoon] : { std::pair { am_, false }, std::pair { pm_, true },
                 std::pair { std::string("AM"), false }, std::pair { std::string("PM"), true } }) {
            const std::string wanted = letters >= 2 ? text : text.substr(0, 1);
            if (wanted.empty() || !startsHere(wanted))
                continue;
            at_ += wanted.size();
            designator_ = afternoon;
            return;
        }
    }

    bool startsHere(const std::string& wanted) const
    {
        if (text_.size() - at_ < wanted.size())
            return false;
        for (std::size_t i = 0; i < wanted.size(); ++i)
            if (lower(text_[at_ + i]) != lower(wanted[i]))
                return false;
        return true;
    }

    std::optional<TimeOfDay> validated() const
    {
        int hour = hour_;
        if (designator_) {
            if (hour < 1 || hour > 12)
                return std::nullopt;
            hour = hour % 12 + (*designator_ ? 12 : 0);
        }
        if (hour > 23 || minute_ > 59 || second_ > 59)
            return std::nullopt;
        return TimeOfDay { hour, minute_, second_ };
    }

    const std::string& text_;
    const std::string& am_;
    const std::string& pm_;
    TimeReading reading_;
    std::size_t at_ = 0;
    int hour_ = -1;
    int minute_ = 0;
    int second_ = 0;
    std::optional<bool> designator_; // true: afternoon
};

} // namespace

LaidOutTime LayOutTimePicture(const std::string& picture, TimeOfDay time, const std::string& am, const std::string& pm)
{
    LaidOutTime out;
    const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
    const std::string& designator = time.hour < 12 ? am : pm;
    for (const auto& token : tokenize(picture)) {
        const std::size_t begin = out.text.size();
        switch (token.letter) {
        case 0:
            out.text += token.literal;
            continue;
        case 'H':
            out.text += number(time.hour, token.run);
            break;
        case 'h':
            out.text += number(hour12, token.run);
            break;
        case 'm':
            out.text += number(time.minute, token.run);
            break;
        case 's':
            out.text += number(time.second, token.run);
            break;
        default:
            out.text += token.run >= 2 ? designator : designator.substr(0, 1);
        }
        out.fields.push_back({ unitOf(token.letter), begin, out.text.size() });
    }
    return out;
}

std::string FormatTimePicture(const std::string& picture, TimeOfDay time, const std::string& am, const std::string& pm)
{
    return LayOutTimePicture(picture, time, am, pm).text;
}

std::optional<TimeOfDay> ParseTimePicture(const std::string& picture, const std::string& text, const std::string& am,
    const std::string& pm, TimeReading reading)
{
    return TimeReader(text, am, pm, reading).Read(tokenize(picture));
}

bool IsTimePicture(const std::string& picture)
{
    bool hasField = false;
    std::string quoted;
    for (std::size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        if (c == '\'') {
            i = appendLiteral(picture, i, quoted);
            continue;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) && !isFieldLetter(c))
            return false;
        hasField = hasField || isFieldLetter(c);
        ++i;
    }
    return hasField;
}

TimeOfDay StepTimeOfDay(TimeOfDay time, TimeUnit unit, int steps)
{
    const auto turn = [](int value, int steps, int range) { return ((value + steps) % range + range) % range; };
    switch (unit) {
    case TimeUnit::Hour:
        time.hour = turn(time.hour, steps, 24);
        break;
    case TimeUnit::Minute:
        time.minute = turn(time.minute, steps, 60);
        break;
    case TimeUnit::Second:
        time.second = turn(time.second, steps, 60);
        break;
    case TimeUnit::Designator:
        time.hour = turn(time.hour, 12 * steps, 24);
        break;
    }
    return time;
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
    return days * 86400 + std::int64_t { time.wHour } * 3600 + std::int64_t { time.wMinute } * 60 + time.wSecond;
}

TimeText::TimeText(SystemInformation& platform)
    : platform_(platform)
{
}

std::string TimeText::LongTimeFormat()
{
    return platform_.GetLocaleInfoA(w32::LocaleUserDefault, w32::LocaleSTimeFormat);
}

std::string TimeText::Now()
{
    SystemTime now;
    platform_.GetLocalTime(now);
    return Format({ now.wHour, now.wMinute, now.wSecond });
}

std::string TimeText::Format(TimeOfDay time)
{
    return LayOut(LongTimeFormat(), time).text;
}

LaidOutTime TimeText::LayOut(const std::string& picture, TimeOfDay time)
{
    const auto [am, pm] = designators(picture);
    return LayOutTimePicture(picture, time, am, pm);
}

std::optional<TimeOfDay> TimeText::Read(const std::string& picture, const std::string& text, TimeReading reading)
{
    const auto [am, pm] = designators(picture);
    return ParseTimePicture(picture, text, am, pm, reading);
}

TimeText::Designators TimeText::designators(const std::string& picture)
{
    // Only a picture with a designator needs them; a locale that names none still tells morning from evening.
    if (picture.find('t') == std::string::npos)
        return { "AM", "PM" };
    const std::string am = platform_.GetLocaleInfoA(w32::LocaleUserDefault, localeSAmDesignator);
    const std::string pm = platform_.GetLocaleInfoA(w32::LocaleUserDefault, localeSPmDesignator);
    return { am.empty() ? "AM" : am, pm.empty() ? "PM" : pm };
}

TimeOfDay PickerTime(const TDateTimePickerEx& picker)
{
    return TimeOfDayFromDateTime(picker.DateTime);
}

void SetPickerTime(TDateTimePickerEx& picker, TimeOfDay time)
{
    const int seconds = time.hour * 3600 + time.minute * 60 + time.second;
    picker.DateTime = std::floor(picker.DateTime) + static_cast<double>(seconds) / SecondsPerDay;
}

void ReadPickerText(TDateTimePickerEx& picker, TimeText& times, const std::string& picture, const std::string& text)
{
    const auto time = times.Read(picture, text);
    if (!time)
        throw VespernError("'" + text + "' is not a valid date and time");
    SetPickerTime(picker, *time);
}

} // namespace vespern
