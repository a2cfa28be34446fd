#pragma once

// Files and folders, by name.

#include "platform/Win32Types.h"

#include <cstdint>
#include <string>

namespace vespern {

class Files {
public:
    virtual ~Files() = default;

    virtual bool DeleteFileA(const std::string& fileName) = 0;
    virtual std::uint32_t GetFileAttributesA(const std::string& fileName) = 0;
    virtual bool CreateDirectoryA(const std::string& pathName) = 0;
};

} // namespace vespern
