#include "ProcessTable.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <linux/magic.h>
#include <poll.h>
#include <string_view>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vespern {

namespace {

constexpr std::size_t maxNameBytes = 259;
constexpr std::string_view deletedSuffix = " (deleted)";

// "PID/leaf", relative to the /proc descriptor.
struct EntryPath {
    std::array<char, 48> text {};

    EntryPath(std::uint32_t pid, std::string_view leaf)
    {
        auto [end, ec] = std::to_chars(text.data(), text.data() + 16, pid);
        *end++ = '/';
        std::memcpy(end, leaf.data(), std::min(leaf.size(), std::size_t { 30 }));
    }
    const char* c_str() const { return text.data(); }
};

std::optional<std::string> readLink(int procFd, std::uint32_t pid)
{
    std::array<char, 4097> target {};
    const ssize_t length = ::readlinkat(procFd, EntryPath(pid, "exe").c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) == target.size())
        return std::nullopt;
    return std::string(target.data(), static_cast<std::size_t>(length));
}

std::optional<std::string> readSmallFile(int procFd, std::uint32_t pid, std::string_view leaf, std::size_t limit)
{
    UniqueFd fd(::openat(procFd, EntryPath(pid, leaf).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return std::nullopt;
    std::string text(limit, '\0');
    std::size_t used = 0;
    while (used < limit) {
        const ssize_t got = ::read(fd.get(), text.data() + used, limit - used);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    text.resize(used);
    return text;
}

std::string baseName(std::string_view path)
{
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The executable link of a program whose file was replaced or removed while it runs
// still names that program; one run from an anonymous memory file names nothing.
std::string exeName(std::string_view link)
{
    if (link.starts_with("/memfd:"))
        return {};
    if (link.size() > deletedSuffix.size() && link.ends_with(deletedSuffix))
        link.remove_suffix(deletedSuffix.size());
    return baseName(link);
}

constexpr unsigned long kernelThreadFlag = 0x00200000; // PF_KTHREAD
constexpr rlim_t maxRaisedDescriptors = 1 << 16;

template <typename Number> bool parseNumber(std::string_view text, Number& value)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

// The name sits in parentheses and may itself contain spaces and parentheses.
std::optional<ProcStatFields> ParseProcStat(std::string_view text)
{
    const auto open = text.find('(');
    const auto close = text.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;
    ProcStatFields fields;
    fields.comm = std::string(text.substr(open + 1, close - open - 1));
    std::vector<std::string_view> rest; // rest[0] is field 3, the state
    std::string_view tail = text.substr(close + 1);
    while (!tail.empty()) {
        const auto start = tail.find_first_not_of(" \n");
        if (start == std::string_view::npos)
            break;
        tail.remove_prefix(start);
        const auto end = std::min(tail.find_first_of(" \n"), tail.size());
        rest.push_back(tail.substr(0, end));
        tail.remove_prefix(end);
    }
    auto field = [&](std::size_t number) { return number - 3 < rest.size() ? rest[number - 3] : std::string_view(); };
    if (!parseNumber(field(4), fields.parentPid) || !parseNumber(field(9), fields.flags)
        || !parseNumber(field(19), fields.nice) || !parseNumber(field(20), fields.threads)
        || !parseNumber(field(22), fields.startTicks))
        return std::nullopt;
    parseNumber(field(41), fields.policy); // absent on old kernels
    fields.state = field(3).empty() ? 'R' : field(3).front();
    return fields;
}

// "0.31 0.42 0.40 2/1170 48213": running/all threads, then the last PID handed out.
std::optional<std::pair<std::uint64_t, std::uint64_t>> ParseTaskCounters(std::string_view line)
{
    const auto slash = line.find('/');
    const auto space = line.find(' ', slash);
    std::uint64_t threads = 0;
    std::uint64_t lastPid = 0;
    if (slash == std::string_view::npos || space == std::string_view::npos
        || !parseNumber(line.substr(slash + 1, space - slash - 1), threads)
        || !parseNumber(line.substr(space + 1, line.find('\n') - space - 1), lastPid))
        return std::nullopt;
    return std::pair { lastPid, threads };
}

namespace {

std::int32_t priorityClassBase(long nice, unsigned policy)
{
    if (policy == 1 || policy == 2) // SCHED_FIFO, SCHED_RR
        return 24;
    if (policy == 5 || nice >= 10) // SCHED_IDLE
        return 4;
    if (nice > 0)
        return 6;
    if (nice < -10)
        return 13;
    return nice < 0 ? 10 : 8;
}

std::uint64_t ticksSinceBoot(long ticksPerSecond)
{
    timespec now {};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * static_cast<std::uint64_t>(ticksPerSecond)
        + static_cast<std::uint64_t>(now.tv_nsec) / (1000000000 / static_cast<std::uint64_t>(ticksPerSecond));
}

// The counters of a loadavg file (see ParseTaskCounters).
std::optional<std::pair<std::uint64_t, std::uint64_t>> taskCounters(const std::filesystem::path& loadavg)
{
    UniqueFd fd(::open(loadavg.c_str(), O_RDONLY | O_CLOEXEC));
    std::array<char, 128> text {};
    const ssize_t got = fd ? ::read(fd.get(), text.data(), text.size() - 1) : -1;
    if (got <= 0)
        return std::nullopt;
    return ParseTaskCounters(std::string_view(text.data(), static_cast<std::size_t>(got)));
}

// Pidfds name processes of the caller's PID namespace, so they only fit the kernel's own /proc
// mounted for that namespace, not a copy or a tree of another namespace.
bool kernelProcOfThisNamespace(const std::filesystem::path& root)
{
    struct statfs info { };
    if (::statfs(root.c_str(), &info) != 0 || info.f_type != PROC_SUPER_MAGIC)
        return false;
    std::error_code error;
    const auto self = std::filesystem::read_symlink(root / "self", error);
    return !error && self.string() == std::to_string(::getpid());
}

// All descriptors but a reserve for the rest of the program: windows, buses, files, sockets.
std::size_t exitWatchesWithin(rlim_t descriptors)
{
    const auto soft = static_cast<std::size_t>(std::min<rlim_t>(descriptors, maxRaisedDescriptors));
    const std::size_t reserve = std::max<std::size_t>(256, soft / 4);
    return soft > reserve ? soft - reserve : 0;
}

std::size_t currentExitWatchLimit()
{
    rlimit limit {};
    return ::getrlimit(RLIMIT_NOFILE, &limit) == 0 ? exitWatchesWithin(limit.rlim_cur) : 0;
}

// Desktop sessions start programs with a soft limit of 1024 descriptors, kept low for programs
// that still use select(); nothing in this one does (Qt, D-Bus and the rest poll). Raised only
// when the watches need it, so a usual session and the programs started from it keep the limit.
std::size_t raisedExitWatchLimit()
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 0;
    const rlim_t wanted = std::min<rlim_t>(limit.rlim_max, maxRaisedDescriptors);
    if (wanted > limit.rlim_cur) {
        limit.rlim_cur = wanted;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    return currentExitWatchLimit();
}

std::uint64_t exitEventData(std::uint32_t pid, int fd)
{
    return std::uint64_t { pid } << 32 | static_cast<std::uint32_t>(fd);
}

std::optional<std::uint32_t> pidFromName(const char* name)
{
    std::uint32_t pid = 0;
    if (name[0] < '1' || name[0] > '9' || !parseNumber(std::string_view(name), pid))
        return std::nullopt;
    return pid;
}

} // namespace

ProcessTable::ProcessTable(std::filesystem::path procRoot, std::optional<std::size_t> exitWatchLimit)
    : procRoot_(std::move(procRoot))
    , ticksPerSecond_(std::max(1L, ::sysconf(_SC_CLK_TCK)))
    , exitWatchUsable_(kernelProcOfThisNamespace(procRoot_))
    , exitWatchLimit_(exitWatchLimit.value_or(currentExitWatchLimit()))
    , mayRaiseExitWatchLimit_(!exitWatchLimit)
{
}

bool ProcessTable::exitWatchRoom()
{
    if (!exitWatchUsable_)
        return false;
    if (exitWatches_ < exitWatchLimit_)
        return true;
    if (mayRaiseExitWatchLimit_) {
        mayRaiseExitWatchLimit_ = false;
        exitWatchLimit_ = std::max(exitWatchLimit_, raisedExitWatchLimit());
    }
    return exitWatches_ < exitWatchLimit_;
}

bool ProcessTable::openTree(int& error)
{
    if (procDir_) {
        ::rewinddir(procDir_.get());
        return true;
    }
    UniqueFd fd(::open(procRoot_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    UniqueFd listing(fd ? ::fcntl(fd.get(), F_DUPFD_CLOEXEC, 0) : -1);
    if (!listing) {
        error = errno;
        return false;
    }
    DIR* dir = ::fdopendir(listing.get());
    if (!dir) {
        error = errno;
        return false;
    }
    listing.release();
    procDir_.reset(dir);
    procFd_ = std::move(fd);
    return true;
}

UniqueFd ProcessTable::openExitWatch(std::uint32_t pid)
{
    if (!exitWatchRoom())
        return {};
    UniqueFd watch(static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0u)));
    if (watch)
        return watch;
    if (errno == ENOSYS || errno == EPERM) // a kernel before 5.3, or a sandbox that refuses pidfds
        exitWatchUsable_ = false;
    else if (errno == EMFILE || errno == ENFILE) {
        exitWatchLimit_ = exitWatches_;
        mayRaiseExitWatchLimit_ = false;
    }
    return {};
}

// Taken before the process's files were read: a watch that is not yet readable proves that what was
// read belongs to the process it watches, as a PID is not reused while its process lives.
void ProcessTable::keepExitWatch(Known& known, UniqueFd watch)
{
    if (!watch || known.kernelThread) // kernel threads are released as they end, their entry with them
        return;
    pollfd ended { watch.get(), POLLIN, 0 };
    // Also says "running" for a process whose first thread has ended while others go on.
    known.ended = ::poll(&ended, 1, 0) > 0;
    if (known.ended)
        return;
    if (!exitPoll_)
        exitPoll_.reset(::epoll_create1(EPOLL_CLOEXEC));
    epoll_event event {};
    event.events = EPOLLIN;
    event.data.u64 = exitEventData(known.pid, watch.get());
    // A watch carried over from the process's earlier reading is in the set already.
    if (!exitPoll_ || (::epoll_ctl(exitPoll_.get(), EPOLL_CTL_ADD, watch.get(), &event) != 0 && errno != EEXIST))
        return;
    known.exitWatch = std::move(watch);
    ++exitWatches_;
}

void ProcessTable::collectExits()
{
    if (!exitPoll_)
        return;
    std::array<epoll_event, 64> events {};
    int ready = 0;
    do {
        ready = ::epoll_wait(exitPoll_.get(), events.data(), static_cast<int>(events.size()), 0);
        for (int i = 0; i < ready; ++i) {
            const auto pid = static_cast<std::uint32_t>(events[i].data.u64 >> 32);
            const auto known = std::lower_bound(
                known_.begin(), known_.end(), pid, [](const Known& entry, std::uint32_t id) { return entry.pid < id; });
            if (known == known_.end() || known->pid != pid
                || exitEventData(pid, known->exitWatch.get()) != events[i].data.u64)
                continue;
            known->ended = true;
            known->exitWatch.reset(); // also leaves the epoll set
            --exitWatches_;
        }
    } while (ready == static_cast<int>(events.size()));
}

std::optional<ProcessTable::Known> ProcessTable::read(std::uint32_t pid, ino_t inode, UniqueFd watch)
{
    if (!watch)
        watch = openExitWatch(pid);
    const auto statText = readSmallFile(procFd_.get(), pid, "stat", 4096);
    const auto stat = statText ? ParseProcStat(*statText) : std::nullopt;
    if (!stat)
        return std::nullopt; // ended meanwhile
    Known known;
    known.pid = pid;
    known.inode = inode;
    known.startTicks = stat->startTicks;
    known.record.processId = pid;
    known.record.parentProcessId = stat->parentPid;
    known.record.threadCount = stat->threads;
    known.record.basePriority = priorityClassBase(stat->nice, stat->policy);
    known.kernelThread = (stat->flags & kernelThreadFlag) != 0;
    known.ended = stat->state == 'Z' || stat->state == 'X';
    keepExitWatch(known, std::move(watch));
    if (known.ended)
        return known;
    if (auto link = readLink(procFd_.get(), pid)) {
        known.exeReadable = true;
        known.record.exeFile = exeName(*link);
        known.exeLink = std::move(*link);
    }
    if (known.record.exeFile.empty()) {
        const auto cmdline = readSmallFile(procFd_.get(), pid, "cmdline", 8192);
        if (cmdline)
            known.record.exeFile = baseName(std::string_view(cmdline->c_str()));
    }
    if (known.record.exeFile.empty())
        known.record.exeFile = stat->comm;
    if (known.record.exeFile.size() > maxNameBytes)
        known.record.exeFile.resize(maxNameBytes);
    return known;
}

bool ProcessTable::stillTheSame(const Known& known) const
{
    if (!known.exeReadable)
        return false;
    const auto link = readLink(procFd_.get(), known.pid);
    return link && *link == known.exeLink;
}

std::vector<bool> ProcessTable::rotationSlice(const Ids& ids)
{
    std::vector<bool> chosen(ids.size(), false);
    if (ids.empty())
        return chosen;
    const std::size_t slice = (ids.size() + fullCheckListings - 1) / fullCheckListings;
    auto next = std::upper_bound(ids.begin(), ids.end(), rotationPid_, [](std::uint32_t pid, const auto& id) {
        return pid < id.first;
    }) - ids.begin();
    for (std::size_t taken = 0; taken < slice; ++taken) {
        if (static_cast<std::size_t>(next) == ids.size())
            next = 0;
        chosen[static_cast<std::size_t>(next)] = true;
        rotationPid_ = ids[static_cast<std::size_t>(next)].first;
        ++next;
    }
    return chosen;
}

std::optional<ProcessTable::Ids> ProcessTable::listIds(int& error)
{
    const auto counters = taskCounters(procRoot_ / "loadavg");
    if (counters && counters == taskCounters_ && reusedListings_ < maxReusedListings) {
        ++reusedListings_;
        Ids ids;
        ids.reserve(known_.size());
        for (const auto& known : known_)
            ids.emplace_back(known.pid, known.inode);
        return ids;
    }
    if (!openTree(error))
        return std::nullopt;
    Ids ids;
    ids.reserve(known_.size() + 64);
    errno = 0;
    while (const dirent* entry = ::readdir(procDir_.get()))
        if (const auto pid = pidFromName(entry->d_name))
            ids.emplace_back(*pid, entry->d_ino);
    if (errno != 0) {
        error = errno;
        return std::nullopt;
    }
    if (!std::is_sorted(ids.begin(), ids.end()))
        std::sort(ids.begin(), ids.end());
    taskCounters_ = counters;
    reusedListings_ = 0;
    return ids;
}

std::vector<ProcessRecord> ProcessTable::List(int& error)
{
    error = 0;
    collectExits();
    const auto listed = listIds(error);
    if (!listed)
        return {};
    const Ids& ids = *listed;

    const std::vector<bool> checkNow = rotationSlice(ids);
    const std::uint64_t now = ticksSinceBoot(ticksPerSecond_);
    const std::uint64_t youngTicks = youngSeconds * static_cast<std::uint64_t>(ticksPerSecond_);
    std::vector<Known> current;
    current.reserve(ids.size());
    auto old = known_.begin();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const auto [pid, inode] = ids[i];
        while (old != known_.end() && old->pid < pid)
            ++old;
        UniqueFd watch;
        if (old != known_.end() && old->pid == pid && old->inode == inode) {
            const bool watched = static_cast<bool>(old->exitWatch);
            const bool young = now < old->startTicks + youngTicks;
            // Without a watch only a look tells whether it still runs; it gets one once there is room.
            const bool look = !watched || checkNow[i] || young;
            if (old->kernelThread || old->ended || !look || (stillTheSame(*old) && (watched || !exitWatchRoom()))) {
                current.push_back(std::move(*old));
                continue;
            }
            watch = std::move(old->exitWatch);
        }
        if (auto fresh = read(pid, inode, std::move(watch)))
            current.push_back(std::move(*fresh));
    }
    known_ = std::move(current);
    exitWatches_ = static_cast<std::size_t>(
        std::count_if(known_.begin(), known_.end(), [](const Known& known) { return bool(known.exitWatch); }));

    std::vector<ProcessRecord> records;
    records.reserve(known_.size());
    for (const auto& known : known_)
        if (!known.ended)
            records.push_back(known.record);
    return records;
}

} // namespace vespern
