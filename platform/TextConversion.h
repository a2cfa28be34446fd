#pragma once

// Conversions between the program's 8-bit text and UTF-16.

#include "platform/Win32Types.h"

#include <cstdint>
#include <string>

namespace vespern {

class TextConversion {
public:
    virtual ~TextConversion() = default;

    // The program's 8-bit text is in the system's ANSI code page (codePage w32::CpAcp); the few
    // operations that take wide text get UTF-16.
    virtual std::u16string MultiByteToWideChar(std::uint32_t codePage, const std::string& text) = 0;
    virtual std::string WideCharToMultiByte(std::uint32_t codePage, const std::u16string& text) = 0;
};

} // namespace vespern
