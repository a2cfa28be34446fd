#pragma once

// Counts and readings are held as decimal text in the controls and converted at each use.

#include "VespernError.h"

#include <optional>
#include <string>

namespace vespern {

// A text that should have held a number and did not.
class TextConversionError : public VespernError {
public:
    using VespernError::VespernError;
};

// A whole number, with optional surrounding blanks and sign.
std::optional<long long> ParseInteger(const std::string& text);
// A decimal number written with the given decimal separator.
std::optional<double> ParseNumber(const std::string& text, const std::string& decimalSeparator);

// The same conversions, failing with the message the user sees.
long long IntegerFromText(const std::string& text);
double NumberFromText(const std::string& text, const std::string& decimalSeparator);

// The "0.0" pattern: one decimal place, halves rounded away from zero.
std::string FormatOneDecimal(double value, const std::string& decimalSeparator);

} // namespace vespern
