#include "platform/SystemPlatform.h"

#include "Win32Platform.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace vespern {

std::unique_ptr<PowerPlatform> CreateSystemPlatform(const PlatformChoice& choice)
{
    return std::make_unique<Win32Platform>(choice.windowHandles, choice.notices);
}

// A program of the window subsystem may still have inherited a standard error (a console, a pipe,
// Wine's terminal); without one the line goes nowhere.
void WriteStandardErrorLine(const std::string& line)
{
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE)
        return;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    ::WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace vespern
