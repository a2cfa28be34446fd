#include "TextValues.h"

#include <charconv>
#include <cmath>

namespace vespern {

namespace {

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// from_chars takes no leading plus sign.
std::string withoutPlus(std::string text)
{
    if (!text.empty() && text.front() == '+')
        text.erase(0, 1);
    return text;
}

} // namespace

std::optional<long long> ParseInteger(const std::string& text)
{
    const std::string digits = withoutPlus(trimmed(text));
    long long value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || error != std::errc {} || stop != end)
        return std::nullopt;
    return value;
}

std::optional<double> ParseNumber(const std::string& text, const std::string& decimalSeparator)
{
    std::string number = withoutPlus(trimmed(text));
    if (!decimalSeparator.empty() && decimalSeparator != ".") {
        if (number.find('.') != std::string::npos)
            return std::nullopt;
        if (const auto at = number.find(decimalSeparator); at != std::string::npos)
            number.replace(at, decimalSeparator.size(), ".");
    }
    double value = 0;
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
    if (number.empty() || error != std::errc {} || stop != end)
        return std::nullopt;
    return value;
}

long long IntegerFromText(const std::string& text)
{
    if (const auto value = ParseInteger(text))
        return *value;
    throw TextConversionError("'" + text + "' is not a valid integer value");
}

double NumberFromText(const std::string& text, const std::string& decimalSeparator)
{
    if (const auto value = ParseNumber(text, decimalSeparator))
        return *value;
    throw TextConversionError("'" + text + "' is not a valid floating point value");
}

std::string FormatOneDecimal(double value, const std::string& decimalSeparator)
{
    const long long tenths = std::llround(value * 10.0);
    const long long magnitude = tenths < 0 ? -tenths : tenths;
    const std::string sign = tenths < 0 ? "-" : "";
    return sign + std::to_string(magnitude / 10) + decimalSeparator + std::to_string(magnitude % 10);
}

} // namespace vespern
