#pragma once

#include "platform/linux/UniqueFd.h"

#include <cstdint>
#include <dirent.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace vespern {

struct ProcessRecord {
    std::uint32_t processId = 0;
    std::uint32_t parentProcessId = 0;
    std::uint32_t threadCount = 0;
    std::int32_t basePriority = 8; // the priority class base of a normal process
    std::string exeFile; // file name of the executable, at most 259 bytes
};

// The fields of a /proc/PID/stat file that a process record needs.
struct ProcStatFields {
    std::string comm;
    char state = 'R';
    unsigned long flags = 0;
    std::uint32_t parentPid = 0;
    std::uint32_t threads = 0;
    long nice = 0;
    std::uint64_t startTicks = 0;
    unsigned policy = 0;
};

// The contents of a /proc/PID/stat file, or nothing when a field it needs is missing or not a number.
std::optional<ProcStatFields> ParseProcStat(std::string_view text);

// The last PID handed out and the number of threads from the contents of /proc/loadavg.
std::optional<std::pair<std::uint64_t, std::uint64_t>> ParseTaskCounters(std::string_view line);

// The running processes under a /proc tree, in the order the kernel lists them.
//
// The process watch lists every process once a second, and reading three files per process
// would cost milliseconds with a thousand processes. So what was read is kept per process and
// keyed by the inode of its /proc/PID directory, which the kernel replaces when the PID is
// reused. An exec keeps that inode, so a cached process is checked again by its executable
// link: every time while the process is young (fork and exec come close together), and for
// older ones a slice per listing, so that every process is checked at least once every
// `fullCheckListings` listings. Kernel threads never exec and are not checked again.
// Parent, thread count and priority are as of the last check.
//
// A process that has ended is left out at the next listing, also when its parent has not yet
// waited for it (a zombie, whose /proc entry stays) and whatever was cached. On the kernel's own
// /proc of this PID namespace each process is watched through a pidfd, which the kernel makes
// readable once the whole process has ended: one epoll_wait per listing finds them all. The
// watches take one descriptor each, so they stop short of the descriptor limit (raised once when
// needed); a process without one (or any process of another /proc tree) is looked at in every
// listing instead: its executable link, which an ended process no longer has, or else its state.
//
// Listing /proc itself costs about a microsecond per process. When no task was created or
// released since the last listing (the last PID and the thread count in /proc/loadavg are
// unchanged) the PIDs are known already; a release in a PID namespace above the reader's can
// leave both unchanged, so the directory is listed anyway at least every `maxReusedListings`.
class ProcessTable {
public:
    static constexpr std::size_t fullCheckListings = 60;
    static constexpr std::uint64_t youngSeconds = 5;
    static constexpr std::size_t maxReusedListings = 9;

    // exitWatchLimit: how many processes may be watched through a pidfd; by default all but a
    // reserve of the descriptor limit, which is raised once when that is not enough.
    explicit ProcessTable(std::filesystem::path procRoot, std::optional<std::size_t> exitWatchLimit = std::nullopt);

    // The current processes, or the errno value when the tree cannot be listed.
    std::vector<ProcessRecord> List(int& error);

private:
    struct Known {
        std::uint32_t pid = 0;
        ino_t inode = 0;
        std::uint64_t startTicks = 0; // since boot, in USER_HZ ticks
        bool exeReadable = false;
        bool kernelThread = false;
        bool ended = false;
        std::string exeLink;
        ProcessRecord record;
        UniqueFd exitWatch; // a pidfd in exitPoll_, readable once the process has ended
    };
    struct DirCloser {
        void operator()(DIR* dir) const { ::closedir(dir); }
    };

    using Ids = std::vector<std::pair<std::uint32_t, ino_t>>;

    bool openTree(int& error);
    std::optional<Ids> listIds(int& error);
    std::optional<Known> read(std::uint32_t pid, ino_t inode, UniqueFd watch);
    bool stillTheSame(const Known& known) const;
    std::vector<bool> rotationSlice(const Ids& ids);
    bool exitWatchRoom();
    UniqueFd openExitWatch(std::uint32_t pid);
    void keepExitWatch(Known& known, UniqueFd watch);
    void collectExits();

    std::filesystem::path procRoot_;
    UniqueFd procFd_;
    std::unique_ptr<DIR, DirCloser> procDir_;
    std::vector<Known> known_; // sorted by pid
    std::uint32_t rotationPid_ = 0;
    std::optional<std::pair<std::uint64_t, std::uint64_t>> taskCounters_; // last PID, thread count
    std::size_t reusedListings_ = 0;
    long ticksPerSecond_;
    bool exitWatchUsable_; // the tree is the kernel's /proc of this PID namespace, with pidfds
    std::size_t exitWatchLimit_;
    bool mayRaiseExitWatchLimit_; // once, when the watches need more descriptors
    std::size_t exitWatches_ = 0;
    UniqueFd exitPoll_;
};

} // namespace vespern
