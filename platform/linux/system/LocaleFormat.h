#pragma once

#include <string>

namespace vespern {

// The user's locale (LC_TIME, LC_NUMERIC from the environment), read without touching the
// process-wide locale.
std::string UserLocaleTimeFormat();
std::string UserLocaleDecimalSeparator();

// Turns a strftime time format ("%H:%M:%S", "%I:%M:%S %p", "%r") into the system's time
// picture ("HH:mm:ss", "hh:mm:ss tt").
std::string TimePictureFromStrftime(const std::string& format);

} // namespace vespern
