#pragma once

// Runs a helper program from an argument vector (never through a shell), with standard input
// from /dev/null, standard output and error captured together, and a limit on its run time.

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace vespern {

struct ProcessOutcome {
    enum class End {
        Exited, // exitCode holds the status
        Signalled, // ended by a signal it did not catch
        TimedOut, // killed after the limit
        NotStarted, // spawnError holds the errno
    };
    End end = End::NotStarted;
    int exitCode = -1;
    int spawnError = 0;
    std::string output; // at most the output limit; the rest is read and dropped
};

struct ProcessLimits {
    std::chrono::milliseconds runTime { 20000 };
    std::size_t outputBytes = std::size_t { 64 } * 1024;
};

// argv[0] is the program's path; the environment is this process's.
ProcessOutcome RunBoundedProcess(const std::vector<std::string>& argv, const ProcessLimits& limits = {});

} // namespace vespern
