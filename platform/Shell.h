#pragma once

// The shell: starting a program or opening a document, emptying the recycle bin, and the folder
// browser with the identifier lists it hands out.

#include "platform/Win32Types.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vespern {

class Shell {
public:
    virtual ~Shell() = default;

    virtual std::intptr_t ShellExecuteA(Window hwnd, const std::optional<std::string>& operation,
        const std::string& file, const std::optional<std::string>& parameters,
        const std::optional<std::string>& directory, std::int32_t showCmd)
        = 0;
    // Called through the entry that GetProcAddress found in "Shell32.dll".
    virtual std::int32_t SHEmptyRecycleBinA(
        Window hwnd, const std::optional<std::string>& rootPath, std::uint32_t flags)
        = 0;
    virtual std::int32_t SHGetSpecialFolderLocation(Window hwndOwner, std::int32_t folder, ItemIdList& pidl) = 0;
    // Modal; returns the chosen item (0 when cancelled) and fills displayName up to its zero byte.
    virtual ItemIdList SHBrowseForFolderA(const BrowseInfo& info, DisplayNameBuffer& displayName) = 0;
    // Frees an identifier list through the shell's allocator (SHGetMalloc, then Free).
    virtual void SHGetMallocFree(ItemIdList pidl) = 0;
};

} // namespace vespern
