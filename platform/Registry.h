#pragma once

// The registry; each call returns a system error code, 0 on success. An empty data span asks for
// the size only.

#include "platform/Win32Types.h"

#include <cstdint>
#include <span>
#include <string>

namespace vespern {

class Registry {
public:
    virtual ~Registry() = default;

    virtual std::int32_t RegCreateKeyExA(HKey key, const std::string& subKey, std::uint32_t options,
        std::uint32_t samDesired, HKey& result, std::uint32_t& disposition)
        = 0;
    virtual std::int32_t RegOpenKeyExA(
        HKey key, const std::string& subKey, std::uint32_t options, std::uint32_t samDesired, HKey& result)
        = 0;
    virtual std::int32_t RegQueryValueExA(HKey key, const std::string& valueName, std::uint32_t& type,
        std::span<std::uint8_t> data, std::uint32_t& dataSize)
        = 0;
    virtual std::int32_t RegSetValueExA(
        HKey key, const std::string& valueName, std::uint32_t type, std::span<const std::uint8_t> data)
        = 0;
    virtual std::int32_t RegDeleteValueA(HKey key, const std::string& valueName) = 0;
    virtual std::int32_t RegCloseKey(HKey key) = 0;
};

} // namespace vespern
