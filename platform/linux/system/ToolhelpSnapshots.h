#pragma once

#include "ProcessTable.h"
#include "platform/PowerPlatform.h"

#include <map>
#include <vector>

namespace vespern {

// Process snapshots behind toolhelp handles. Each snapshot is a copy of the process table
// taken at creation, walked with First/Next, and freed by Close.
class ToolhelpSnapshots {
public:
    explicit ToolhelpSnapshots(std::filesystem::path procRoot);

    // InvalidHandleValue on failure, with the system error code in error.
    Handle Create(std::uint32_t flags, std::uint32_t processId, std::uint32_t& error);
    bool First(Handle snapshot, ProcessEntry32 entry, std::uint32_t& error);
    bool Next(Handle snapshot, ProcessEntry32 entry, std::uint32_t& error);
    // False when the handle is not a snapshot.
    bool Close(Handle snapshot);

private:
    struct Snapshot {
        std::vector<ProcessRecord> processes;
        std::size_t next = 0;
    };

    bool fill(Handle snapshot, bool restart, ProcessEntry32 entry, std::uint32_t& error);

    ProcessTable table_;
    std::map<Handle, Snapshot> snapshots_;
    Handle nextHandle_ = 0x2000;
};

} // namespace vespern
