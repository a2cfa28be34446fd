#pragma once

// The error code the last failed call left, and the system's text for an error code.

#include "platform/Win32Types.h"

#include <cstdint>
#include <string>

namespace vespern {

class SystemErrors {
public:
    virtual ~SystemErrors() = default;

    virtual std::uint32_t GetLastError() = 0;
    // The system's text for an error code (FormatMessage).
    virtual std::string SysErrorMessage(std::int32_t code) = 0;
};

} // namespace vespern
