#include "platform/Win32Constants.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/system/ProcessTable.h"
#include "platform/linux/system/ToolhelpSnapshots.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <csignal>
#include <ctime>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vespern {
namespace {

struct FakeProcess {
    std::optional<std::string> exe; // link target; none: the link cannot be read
    std::string cmdline; // NUL-separated
    std::string comm = "comm";
    std::uint32_t parent = 1;
    std::uint32_t threads = 1;
    int nice = 0;
    std::uint64_t startTicks = 0; // 0: started long ago
    char state = 'S';
};

std::uint64_t ticksNow()
{
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * static_cast<std::uint64_t>(sysconf(_SC_CLK_TCK));
}

class ProcTree : public ::testing::Test {
protected:
    void add(std::uint32_t pid, const FakeProcess& process, const std::string& dirName = {})
    {
        const std::string name = dirName.empty() ? std::to_string(pid) : dirName;
        tree_.directory(name);
        if (process.exe)
            std::filesystem::create_symlink(*process.exe, tree_ / name / "exe");
        tree_.write(name + "/cmdline", process.cmdline);
        tree_.write(name + "/stat",
            std::to_string(pid) + " (" + process.comm + ") " + process.state + " " + std::to_string(process.parent)
                + " 1 1 0 -1 4194560 100 0 0 0 5 3 0 0 20 " + std::to_string(process.nice) + " "
                + std::to_string(process.threads) + " 0 " + std::to_string(process.startTicks)
                + " 1000 200 18446744073709551615 0 0 0 0 0 0 0 0 0 0 0 0 17 0 0 0 0 0 0\n");
    }
    // A new process under a PID that was in use: a new /proc/PID directory.
    void reuse(std::uint32_t pid, const FakeProcess& process)
    {
        add(pid, process, "incoming");
        std::filesystem::remove_all(tree_ / std::to_string(pid));
        std::filesystem::rename(tree_ / "incoming", tree_ / std::to_string(pid));
    }
    // The process ends; its parent has not collected it yet: no executable link, state Z.
    void endUncollected(std::uint32_t pid)
    {
        std::filesystem::remove(tree_ / std::to_string(pid) / "exe");
        add(pid, { std::nullopt, "", "ended", 1, 1, 0, 0, 'Z' });
    }
    void exec(std::uint32_t pid, const std::string& exe)
    {
        std::filesystem::remove(tree_ / std::to_string(pid) / "exe");
        std::filesystem::create_symlink(exe, tree_ / std::to_string(pid) / "exe");
    }
    std::vector<std::string> names(ProcessTable& table)
    {
        int error = 0;
        std::vector<std::string> result;
        for (const auto& process : table.List(error))
            result.push_back(process.exeFile);
        EXPECT_EQ(error, 0);
        return result;
    }

    test::TempTree tree_;
};

TEST_F(ProcTree, EntryNamesComeFromTheExecutableThenTheCommandLineThenTheKernelName)
{
    const std::string longName(300, 'x');
    const struct {
        std::uint32_t pid;
        FakeProcess process;
        std::string expected;
    } cases[] = {
        { 10, { "/usr/bin/firefox-esr", "firefox\0-P\0", "firefox-esr" }, "firefox-esr" },
        { 11, { "/opt/game/Game.x86_64 (deleted)", "", "Game" }, "Game.x86_64" },
        { 12, { std::nullopt, std::string("/usr/lib/app/worker\0--type=gpu\0", 31), "worker" }, "worker" },
        { 13, { std::nullopt, std::string("relative\0", 9), "c" }, "relative" },
        { 14, { std::nullopt, "", "kworker/0:1 (x)" }, "kworker/0:1 (x)" },
        { 15, { "/opt/" + longName, "", "c" }, longName.substr(0, 259) },
        { 16, { std::nullopt, "/bin/" + longName, "c" }, longName.substr(0, 259) },
        { 17, { "/memfd:sealed-9a (deleted)", std::string("tools/backend\0--x\0", 19), "memfd:sealed-9a" }, "backend" },
    };
    std::vector<std::string> expected;
    for (const auto& row : cases) {
        add(row.pid, row.process);
        expected.push_back(row.expected);
    }
    tree_.write("self/exe", "not a process");
    tree_.write("0123/stat", "not a process either");
    ProcessTable table(tree_.root());
    EXPECT_EQ(names(table), expected);
}

TEST_F(ProcTree, ReusedPidsEndedProcessesAndExecsAreSeen)
{
    add(20, { "/usr/bin/bash", "", "bash", 1, 1, 0, ticksNow() }); // young: checked every listing
    add(21, { "/usr/bin/stays", "", "stays" }); // long running, like the next two
    add(22, { "/usr/bin/old", "", "old" });
    add(23, { "/usr/bin/ends", "", "ends" });
    ProcessTable table(tree_.root());
    EXPECT_EQ(names(table), (std::vector<std::string> { "bash", "stays", "old", "ends" }));

    exec(20, "/usr/bin/watched");
    reuse(22, { "/usr/bin/newcomer", "", "newcomer" });
    std::filesystem::remove_all(tree_ / "23");
    EXPECT_EQ(names(table), (std::vector<std::string> { "watched", "stays", "newcomer" }));

    // An old process that execs is noticed within the full-check period.
    exec(22, "/usr/bin/late");
    const std::vector<std::string> expected { "watched", "stays", "late" };
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < ProcessTable::fullCheckListings && seen != expected; ++i)
        seen = names(table);
    EXPECT_EQ(seen, expected);
}

TEST_F(ProcTree, UnchangedTaskCountersReuseTheListingForALimitedTime)
{
    tree_.write("loadavg", "0.00 0.01 0.05 1/100 500\n");
    add(40, { "/usr/bin/bash", "", "bash", 1, 1, 0, ticksNow() });
    add(41, { "/usr/bin/ends", "", "ends" });
    ProcessTable table(tree_.root());
    EXPECT_EQ(names(table), (std::vector<std::string> { "bash", "ends" }));

    exec(40, "/usr/bin/next");
    EXPECT_EQ(names(table), (std::vector<std::string> { "next", "ends" })) << "execs are seen without a new listing";

    std::filesystem::remove_all(tree_ / "41");
    tree_.write("loadavg", "0.00 0.01 0.05 1/99 500\n");
    EXPECT_EQ(names(table), std::vector<std::string> { "next" });

    // A change the counters miss (a task of another PID namespace) is seen after a bounded time.
    add(42, { "/usr/bin/hidden", "", "hidden" });
    std::vector<std::string> seen;
    for (std::size_t i = 0; i <= ProcessTable::maxReusedListings && seen.size() < 2; ++i)
        seen = names(table);
    EXPECT_EQ(seen, (std::vector<std::string> { "next", "hidden" }));
}

TEST_F(ProcTree, ProcessesThatEndedOrEndWhileBeingReadAreLeftOut)
{
    add(30, { "/bin/a", "", "a" });
    tree_.write("31/stat", ""); // its files empty out as it ends
    add(32, { std::nullopt, "", "ended", 1, 1, 0, 0, 'Z' }); // not yet waited for
    ProcessTable table(tree_.root());
    EXPECT_EQ(names(table), std::vector<std::string> { "a" });
}

TEST_F(ProcTree, ACachedProcessThatEndsIsGoneAtTheNextListingWhateverWasCached)
{
    tree_.write("loadavg", "0.00 0.01 0.05 1/100 500\n"); // a zombie changes no task counter
    add(60, { "/usr/bin/own", "", "own" }); // started long ago, so not due for a check
    add(61, { std::nullopt, "/usr/sbin/daemon", "daemon" }); // another user's: no readable link
    add(62, { "/usr/bin/stays", "", "stays" });
    ProcessTable table(tree_.root());
    EXPECT_EQ(names(table), (std::vector<std::string> { "own", "daemon", "stays" }));
    EXPECT_EQ(names(table), (std::vector<std::string> { "own", "daemon", "stays" }));

    endUncollected(60);
    endUncollected(61);
    EXPECT_EQ(names(table), std::vector<std::string> { "stays" });
    EXPECT_EQ(names(table), std::vector<std::string> { "stays" });
}

// A child of this test that sleeps until it is ended; collected only at the end of the test.
class Sleeper {
public:
    Sleeper()
    {
        char sleep[] = "sleep";
        char seconds[] = "600";
        char* argv[] = { sleep, seconds, nullptr };
        if (::posix_spawnp(&pid_, "sleep", nullptr, nullptr, argv, environ) != 0)
            pid_ = 0;
    }
    ~Sleeper()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    Sleeper(const Sleeper&) = delete;
    Sleeper& operator=(const Sleeper&) = delete;

    std::uint32_t pid() const { return static_cast<std::uint32_t>(pid_); }
    // Ends it and waits until it has ended, without collecting it: it stays a zombie.
    void endUncollected() const
    {
        ::kill(pid_, SIGKILL);
        siginfo_t info {};
        ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT);
    }

private:
    pid_t pid_ = 0;
};

bool lists(ProcessTable& table, std::uint32_t pid)
{
    int error = 0;
    const auto processes = table.List(error);
    return std::any_of(
        processes.begin(), processes.end(), [pid](const ProcessRecord& process) { return process.processId == pid; });
}

char stateOf(std::uint32_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    return close == std::string::npos || close + 2 >= text.size() ? '?' : text[close + 2];
}

TEST(ProcessTableOnThisSystem, AnEndedProcessIsGoneAtTheNextListingThoughItsParentHasNotCollectedIt)
{
    const Sleeper sleeper;
    ASSERT_GT(sleeper.pid(), 0u);
    ProcessTable watched("/proc"); // through pidfds
    ProcessTable looked("/proc", 0); // without: every process is looked at
    EXPECT_TRUE(lists(watched, sleeper.pid()));
    EXPECT_TRUE(lists(looked, sleeper.pid()));
    // Past the age at which a cached process is checked at every listing.
    std::this_thread::sleep_for(std::chrono::seconds(ProcessTable::youngSeconds + 1));
    EXPECT_TRUE(lists(watched, sleeper.pid()));
    EXPECT_TRUE(lists(looked, sleeper.pid()));

    sleeper.endUncollected();
    ASSERT_EQ(stateOf(sleeper.pid()), 'Z');
    EXPECT_FALSE(lists(watched, sleeper.pid()));
    EXPECT_FALSE(lists(looked, sleeper.pid()));
    EXPECT_FALSE(lists(watched, sleeper.pid()));
}

TEST(ProcessTableOnThisSystem, FindsThisTestByItsExecutableName)
{
    ProcessTable table("/proc");
    int error = 0;
    const auto processes = table.List(error);
    const auto self = std::find_if(processes.begin(), processes.end(),
        [](const ProcessRecord& process) { return process.processId == static_cast<std::uint32_t>(getpid()); });
    ASSERT_NE(self, processes.end());
    EXPECT_EQ(self->exeFile, std::filesystem::read_symlink("/proc/self/exe").filename().string());
    EXPECT_EQ(self->parentProcessId, static_cast<std::uint32_t>(getppid()));
}

std::uint32_t field(const std::array<std::uint8_t, 296>& entry, std::size_t offset)
{
    return entry[offset] | entry[offset + 1] << 8 | entry[offset + 2] << 16
        | static_cast<std::uint32_t>(entry[offset + 3]) << 24;
}

TEST_F(ProcTree, WalkFillsTheEntryRecordInPidOrder)
{
    add(7, { "/usr/bin/seven", "", "seven", 1, 3, -5 });
    add(5, { "/usr/bin/five", "", "five", 1, 12, 15 });
    ToolhelpSnapshots snapshots(tree_.root());
    std::uint32_t error = 0;
    const Handle snapshot = snapshots.Create(w32::Th32csSnapProcess, 0, error);
    ASSERT_NE(snapshot, InvalidHandleValue);

    std::array<std::uint8_t, 296> entry {};
    entry.fill(0xEE);
    EXPECT_FALSE(snapshots.First(snapshot, entry, error)) << "the record size must be set";
    EXPECT_EQ(error, 24u);
    entry[0] = 0x28; // 296
    entry[1] = 0x01;
    entry[2] = entry[3] = 0;
    ASSERT_TRUE(snapshots.First(snapshot, entry, error));
    EXPECT_EQ(field(entry, 0), 296u);
    EXPECT_EQ(field(entry, 8), 5u);
    EXPECT_EQ(field(entry, 20), 12u);
    EXPECT_EQ(field(entry, 24), 1u);
    EXPECT_EQ(field(entry, 28), 4u); // nice 15: idle class
    EXPECT_STREQ(reinterpret_cast<const char*>(entry.data() + 36), "five");
    EXPECT_EQ(entry[295], 0) << "the rest of the record is cleared";
    ASSERT_TRUE(snapshots.Next(snapshot, entry, error));
    EXPECT_EQ(field(entry, 8), 7u);
    EXPECT_EQ(field(entry, 28), 10u); // nice -5: above normal
    EXPECT_STREQ(reinterpret_cast<const char*>(entry.data() + 36), "seven");
    EXPECT_FALSE(snapshots.Next(snapshot, entry, error));
    EXPECT_EQ(error, 18u); // ERROR_NO_MORE_FILES
    ASSERT_TRUE(snapshots.First(snapshot, entry, error)) << "First starts the walk again";
    EXPECT_EQ(field(entry, 8), 5u);

    EXPECT_TRUE(snapshots.Close(snapshot));
    EXPECT_FALSE(snapshots.Close(snapshot));
    EXPECT_FALSE(snapshots.First(snapshot, entry, error));
    EXPECT_EQ(error, 6u); // ERROR_INVALID_HANDLE
}

TEST_F(ProcTree, ThePlatformClosesSnapshotsAndItsTokenButNothingElse)
{
    add(5, { "/usr/bin/five", "", "five" });
    LinuxPaths paths;
    paths.procRoot = tree_.root();
    LinuxPlatform platform(paths, [](const std::string&) {});
    const Handle snapshot = platform.CreateToolhelp32Snapshot(w32::Th32csSnapProcess, 0);
    Handle token = 0;
    ASSERT_TRUE(platform.OpenProcessToken(w32::TokenAdjustPrivileges | w32::TokenQuery, token));
    EXPECT_NE(snapshot, token);
    EXPECT_TRUE(platform.CloseHandle(snapshot));
    EXPECT_FALSE(platform.CloseHandle(snapshot));
    EXPECT_EQ(platform.GetLastError(), 6u);
    EXPECT_TRUE(platform.CloseHandle(token));
}

TEST(ToolhelpSnapshotFailures, UnreadableTreeOrOtherSnapshotKindsGiveNoHandle)
{
    std::uint32_t error = 0;
    ToolhelpSnapshots missing("/nonexistent/proc");
    EXPECT_EQ(missing.Create(w32::Th32csSnapProcess, 0, error), InvalidHandleValue);
    EXPECT_EQ(error, w32::ErrorFileNotFound);
    ToolhelpSnapshots real("/proc");
    EXPECT_EQ(real.Create(0x8 /* TH32CS_SNAPMODULE */, 0, error), InvalidHandleValue);
    EXPECT_EQ(error, 87u);
}

} // namespace
} // namespace vespern
