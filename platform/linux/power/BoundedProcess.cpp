#include "BoundedProcess.h"

#include "platform/linux/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vespern {

namespace {

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_ {};
};

class SpawnAttributes {
public:
    SpawnAttributes() { posix_spawnattr_init(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    posix_spawnattr_t* get() { return &attributes_; }

private:
    posix_spawnattr_t attributes_ {};
};

// The helper starts with no blocked signals and default dispositions, whatever the caller uses.
void resetSignals(SpawnAttributes& attributes)
{
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(attributes.get(), &none);
    posix_spawnattr_setsigdefault(attributes.get(), &all);
    posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

int waitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    return status;
}

// A helper that closed its output may still linger; it gets the rest of the time, no more.
bool exitedBefore(pid_t pid, std::chrono::steady_clock::time_point deadline, int& status)
{
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return true;
        if (done < 0 && errno != EINTR)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        ::usleep(5000);
    }
}

} // namespace

ProcessOutcome RunBoundedProcess(const std::vector<std::string>& argv, const ProcessLimits& limits)
{
    ProcessOutcome outcome;
    if (argv.empty()) {
        outcome.spawnError = EINVAL;
        return outcome;
    }

    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        outcome.spawnError = errno;
        return outcome;
    }
    UniqueFd readEnd(ends[0]);
    UniqueFd writeEnd(ends[1]);

    SpawnActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDERR_FILENO);
    SpawnAttributes attributes;
    resetSignals(attributes);

    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    pid_t pid = 0;
    if (const int error = ::posix_spawn(&pid, args[0], actions.get(), attributes.get(), args.data(), environ)) {
        outcome.spawnError = error;
        return outcome;
    }
    writeEnd.reset();

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limits.runTime;
    bool timedOut = false;
    char chunk[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd watch { readEnd.get(), POLLIN, 0 };
        const int ready = ::poll(&watch, 1, static_cast<int>(left));
        if (ready < 0) {
            // A poll() that keeps failing must not turn the wait into a busy loop.
            if (errno != EINTR)
                ::usleep(5000);
            continue;
        }
        if (ready == 0)
            continue; // the deadline check above ends the wait
        const ssize_t count = ::read(readEnd.get(), chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break; // every copy of the write end is closed: the helper is done
        const std::size_t room = limits.outputBytes - std::min(limits.outputBytes, outcome.output.size());
        outcome.output.append(chunk, std::min(room, static_cast<std::size_t>(count)));
    }

    int status = 0;
    if (timedOut || !exitedBefore(pid, deadline, status)) {
        timedOut = true;
        ::kill(pid, SIGKILL);
        status = waitFor(pid);
    }
    if (timedOut) {
        outcome.end = ProcessOutcome::End::TimedOut;
    } else if (WIFEXITED(status)) {
        outcome.end = ProcessOutcome::End::Exited;
        outcome.exitCode = WEXITSTATUS(status);
    } else {
        outcome.end = ProcessOutcome::End::Signalled;
        outcome.exitCode = WTERMSIG(status);
    }
    return outcome;
}

} // namespace vespern
