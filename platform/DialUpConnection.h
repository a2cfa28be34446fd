#pragma once

// The dial-up connection: whether the computer is online, and hanging it up.

#include "platform/Win32Types.h"

#include <cstdint>

namespace vespern {

class DialUpConnection {
public:
    virtual ~DialUpConnection() = default;

    virtual bool InternetGetConnectedState(std::uint32_t& flags, std::uint32_t reserved) = 0;
    virtual bool InternetAutodialHangup(std::uint32_t reserved) = 0;
};

} // namespace vespern
