#pragma once

// COM and the shell link object (IShellLinkA, IPersistFile); class and interface ids in their
// braced text form.

#include "platform/Win32Types.h"

#include <cstdint>
#include <string>

namespace vespern {

class ShellLinks {
public:
    virtual ~ShellLinks() = default;

    virtual std::int32_t CoInitialize() = 0;
    virtual std::int32_t CoCreateInstance(
        const std::string& clsid, std::uint32_t clsContext, const std::string& iid, ComObject& object)
        = 0;
    virtual std::int32_t QueryInterface(ComObject object, const std::string& iid, ComObject& result) = 0;
    virtual std::uint32_t Release(ComObject object) = 0;
    virtual std::int32_t IShellLinkA_SetArguments(ComObject link, const std::string& arguments) = 0;
    virtual std::int32_t IShellLinkA_SetPath(ComObject link, const std::string& path) = 0;
    virtual std::int32_t IShellLinkA_SetWorkingDirectory(ComObject link, const std::string& directory) = 0;
    virtual std::int32_t IShellLinkA_SetDescription(ComObject link, const std::string& description) = 0;
    virtual std::int32_t IShellLinkA_SetIconLocation(ComObject link, const std::string& iconPath, std::int32_t index)
        = 0;
    virtual std::int32_t IPersistFile_Save(ComObject file, const std::u16string& fileName, bool remember) = 0;
};

} // namespace vespern
