// What the monitor ticks cost on this machine: one low-CPU sample, one process-watch walk,
// and, for comparison in the same run, one `pgrep -x NAME` (its own CPU time).

#include "platform/Win32Constants.h"
#include "platform/linux/LinuxPlatform.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

std::string watchedName()
{
    const char* name = std::getenv("VESPERN_BENCH_NAME");
    return name ? name : "sleep";
}

// The sampler's loop body: the time-of-day record, then the performance record.
void LowCpuSample(benchmark::State& state)
{
    vespern::LinuxPlatform platform;
    std::array<std::uint8_t, 32> timeOfDay {};
    std::array<std::uint8_t, 312> performance {};
    for (auto _ : state) {
        if (platform.NtQuerySystemInformation(vespern::w32::SystemTimeOfDayInformation, timeOfDay, 32) != 0
            || platform.NtQuerySystemInformation(vespern::w32::SystemPerformanceInformation, performance, 312) != 0)
            state.SkipWithError("query failed");
        benchmark::DoNotOptimize(performance.data());
    }
}
BENCHMARK(LowCpuSample);

// IsProcessRunning: one snapshot, walked to the end, compared by name, released.
bool walk(vespern::LinuxPlatform& platform, const std::string& name, std::size_t& count)
{
    const auto snapshot = platform.CreateToolhelp32Snapshot(vespern::w32::Th32csSnapProcess, 0);
    std::array<std::uint8_t, 296> entry {};
    entry[0] = 0x28;
    entry[1] = 0x01;
    bool found = false;
    count = 0;
    for (bool more = platform.Process32First(snapshot, entry); more; more = platform.Process32Next(snapshot, entry)) {
        ++count;
        found = found || std::strcmp(reinterpret_cast<const char*>(entry.data() + 36), name.c_str()) == 0;
    }
    platform.CloseHandle(snapshot);
    return found;
}

// Walks as the watch does, after the first tick read everything once; between two timed walks
// `between` runs untimed (nothing, a pause, a new task).
template <typename Between> void timedWalks(benchmark::State& state, Between between)
{
    vespern::LinuxPlatform platform;
    const std::string name = watchedName();
    std::size_t count = 0;
    walk(platform, name, count);
    for (auto _ : state) {
        state.PauseTiming();
        between();
        state.ResumeTiming();
        benchmark::DoNotOptimize(walk(platform, name, count));
    }
    state.counters["processes"] = static_cast<double>(count);
}

void pauseHalfASecond()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
}

void ProcessWatchWalk(benchmark::State& state)
{
    timedWalks(state, [] {});
}
BENCHMARK(ProcessWatchWalk);

// The floor under every full walk: the kernel listing the /proc directory, nothing else.
std::size_t listProcDirectory()
{
    std::size_t count = 0;
    DIR* proc = opendir("/proc");
    while (const dirent* entry = readdir(proc))
        count += entry->d_name[0] >= '1' && entry->d_name[0] <= '9';
    closedir(proc);
    return count;
}

void ProcDirectoryListing(benchmark::State& state)
{
    std::size_t count = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(count = listProcDirectory());
    state.counters["processes"] = static_cast<double>(count);
}
BENCHMARK(ProcDirectoryListing);

void ProcDirectoryListingPaced(benchmark::State& state)
{
    std::size_t count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        pauseHalfASecond();
        state.ResumeTiming();
        benchmark::DoNotOptimize(count = listProcDirectory());
    }
    state.counters["processes"] = static_cast<double>(count);
}
BENCHMARK(ProcDirectoryListingPaced)->Iterations(8);

// The same walk after a task was created, so that /proc must be listed again.
void ProcessWatchWalkAfterChange(benchmark::State& state)
{
    timedWalks(state, [] { std::thread([] {}).join(); });
}
BENCHMARK(ProcessWatchWalkAfterChange);

// The same walk with a half-second pause before each, as the watch walks once a second: colder caches.
void ProcessWatchWalkPaced(benchmark::State& state)
{
    timedWalks(state, pauseHalfASecond);
}
BENCHMARK(ProcessWatchWalkPaced)->Iterations(8);

// pgrep's own CPU time (user + system, process start included), taken from its resource usage.
void Pgrep(benchmark::State& state)
{
    const std::string name = watchedName();
    std::vector<char*> argv { const_cast<char*>("pgrep"), const_cast<char*>("-x"), const_cast<char*>(name.c_str()),
        nullptr };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t child = 0;
        if (posix_spawnp(&child, "pgrep", &actions, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("pgrep cannot be started");
            break;
        }
        int status = 0;
        rusage usage {};
        wait4(child, &status, 0, &usage);
        const double seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
            + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        state.SetIterationTime(seconds);
    }
    posix_spawn_file_actions_destroy(&actions);
}
BENCHMARK(Pgrep)->UseManualTime()->Iterations(10);

} // namespace

BENCHMARK_MAIN();
