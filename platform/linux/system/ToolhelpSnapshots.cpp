#include "ToolhelpSnapshots.h"

#include "platform/Win32Constants.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vespern {

namespace {

constexpr std::uint32_t errorInvalidHandle = 6;
constexpr std::uint32_t errorNoMoreFiles = 18;
constexpr std::uint32_t errorBadLength = 24;
constexpr std::uint32_t errorInvalidParameter = 87;

void put32(ProcessEntry32 entry, std::size_t offset, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        entry[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t get32(ProcessEntry32 entry, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(entry[offset + i]) << (8 * i);
    return value;
}

// PROCESSENTRY32: dwSize 0, cntUsage 4, th32ProcessID 8, th32DefaultHeapID 12, th32ModuleID 16,
// cntThreads 20, th32ParentProcessID 24, pcPriClassBase 28, dwFlags 32, szExeFile 36.
void writeEntry(const ProcessRecord& process, ProcessEntry32 entry)
{
    std::memset(entry.data() + 4, 0, entry.size() - 4);
    put32(entry, 8, process.processId);
    put32(entry, 20, process.threadCount);
    put32(entry, 24, process.parentProcessId);
    put32(entry, 28, static_cast<std::uint32_t>(process.basePriority));
    const std::size_t length = std::min<std::size_t>(process.exeFile.size(), w32::MaxPath - 1);
    std::memcpy(entry.data() + w32::ProcessEntry32NameOffset, process.exeFile.data(), length);
}

} // namespace

ToolhelpSnapshots::ToolhelpSnapshots(std::filesystem::path procRoot)
    : table_(std::move(procRoot))
{
}

Handle ToolhelpSnapshots::Create(std::uint32_t flags, std::uint32_t, std::uint32_t& error)
{
    if ((flags & w32::Th32csSnapProcess) == 0) {
        error = errorInvalidParameter;
        return InvalidHandleValue;
    }
    int listError = 0;
    auto processes = table_.List(listError);
    if (listError != 0) {
        error = static_cast<std::uint32_t>(listError == ENOENT ? w32::ErrorFileNotFound : w32::ErrorAccessDenied);
        return InvalidHandleValue;
    }
    const Handle handle = nextHandle_;
    nextHandle_ += 4;
    snapshots_.emplace(handle, Snapshot { std::move(processes), 0 });
    return handle;
}

bool ToolhelpSnapshots::fill(Handle snapshot, bool restart, ProcessEntry32 entry, std::uint32_t& error)
{
    const auto found = snapshots_.find(snapshot);
    if (found == snapshots_.end()) {
        error = errorInvalidHandle;
        return false;
    }
    if (get32(entry, 0) != w32::ProcessEntry32Size) {
        error = errorBadLength;
        return false;
    }
    Snapshot& walk = found->second;
    if (restart)
        walk.next = 0;
    if (walk.next >= walk.processes.size()) {
        error = errorNoMoreFiles;
        return false;
    }
    writeEntry(walk.processes[walk.next++], entry);
    return true;
}

bool ToolhelpSnapshots::First(Handle snapshot, ProcessEntry32 entry, std::uint32_t& error)
{
    return fill(snapshot, true, entry, error);
}

bool ToolhelpSnapshots::Next(Handle snapshot, ProcessEntry32 entry, std::uint32_t& error)
{
    return fill(snapshot, false, entry, error);
}

bool ToolhelpSnapshots::Close(Handle snapshot)
{
    return snapshots_.erase(snapshot) > 0;
}

} // namespace vespern
