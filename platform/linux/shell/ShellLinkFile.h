#pragma once

// The shell link binary file format: header, link information with the local target path,
// and the counted strings, in 8-bit text.

#include <cstdint>
#include <string>
#include <vector>

namespace vespern {

struct ShellLinkFields {
    std::string targetPath;
    std::string arguments;
    std::string workingDirectory;
    std::string description;
    std::string iconPath;
    std::int32_t iconIndex = 0;
};

// Longest text a counted string of the format can hold.
inline constexpr std::size_t ShellLinkMaxString = 0xFFFF;

std::vector<std::uint8_t> SerialiseShellLink(const ShellLinkFields& fields);

} // namespace vespern
