#include "ProcessList.h"

#include "platform/Win32Constants.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace vespern {

namespace {

// Closes the snapshot however the walk ends.
class Snapshot {
public:
    explicit Snapshot(PowerPlatform& platform)
        : platform_(platform)
        , handle_(platform.CreateToolhelp32Snapshot(w32::Th32csSnapProcess, 0))
    {
    }
    ~Snapshot()
    {
        if (valid())
            platform_.CloseHandle(handle_);
    }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    bool valid() const { return handle_ != InvalidHandleValue && handle_ != 0; }
    Handle handle() const { return handle_; }

private:
    PowerPlatform& platform_;
    Handle handle_;
};

std::string_view entryName(const std::array<std::uint8_t, w32::ProcessEntry32Size>& entry)
{
    const auto* first = reinterpret_cast<const char*>(entry.data() + w32::ProcessEntry32NameOffset);
    const auto* end = std::find(first, first + w32::MaxPath, '\0');
    return std::string_view(first, static_cast<std::size_t>(end - first));
}

} // namespace

ProcessList::ProcessList(PowerPlatform& platform)
    : platform_(platform)
{
}

void ProcessList::ListProcessNames(TComboBox& list)
{
    walk([&list](std::string_view name) {
        list.Items.emplace_back(name);
        return true;
    });
}

bool ProcessList::IsProcessRunning(const std::string& name)
{
    bool found = false;
    walk([&](std::string_view entry) {
        found = entry == name;
        return !found;
    });
    return found;
}

bool ProcessList::toolhelpAvailable()
{
    if (!toolhelp_) {
        const ModuleHandle kernel32 = platform_.GetModuleHandleA("kernel32.dll");
        toolhelp_ = kernel32 != 0 && platform_.GetProcAddress(kernel32, "CreateToolhelp32Snapshot") != 0
            && platform_.GetProcAddress(kernel32, "Process32First") != 0
            && platform_.GetProcAddress(kernel32, "Process32Next") != 0;
    }
    return *toolhelp_;
}

template <typename OnName> void ProcessList::walk(OnName onName)
{
    if (!toolhelpAvailable())
        return;
    const Snapshot snapshot(platform_);
    if (!snapshot.valid())
        return;
    std::array<std::uint8_t, w32::ProcessEntry32Size> entry {};
    const std::uint32_t size = w32::ProcessEntry32Size;
    for (unsigned byte = 0; byte < 4; ++byte)
        entry[byte] = static_cast<std::uint8_t>(size >> (8 * byte));
    for (bool more = platform_.Process32First(snapshot.handle(), entry); more;
         more = platform_.Process32Next(snapshot.handle(), entry))
        if (!onName(entryName(entry)))
            return;
}

} // namespace vespern
