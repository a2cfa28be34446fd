#include "support/HostSystem.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vespern::test {
namespace {

std::vector<char*> ArgumentVector(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// The exit code, or -1 when a signal ended it.
int WaitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

std::filesystem::path MakeTemporaryDirectory(const std::string& prefix)
{
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    return pattern;
}

std::optional<std::string> GetEnvironment(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void SetEnvironment(const std::string& name, const std::string& value)
{
    ::setenv(name.c_str(), value.c_str(), 1);
}

void UnsetEnvironment(const std::string& name)
{
    ::unsetenv(name.c_str());
}

std::filesystem::path TestProgram(const std::string& name)
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / name;
}

ProgramResult RunProgram(const std::vector<std::string>& arguments)
{
    ProgramResult result;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    auto argv = ArgumentVector(arguments);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned == 0) {
        char buffer[4096];
        for (ssize_t got = 0; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
            result.output.append(buffer, static_cast<std::size_t>(got));
        result.exitCode = WaitFor(pid);
    }
    ::close(pipeFds[0]);
    return result;
}

struct ChildProcess::Running {
    pid_t pid = 0;
    bool ended = false;
};

ChildProcess::ChildProcess(const std::vector<std::string>& arguments)
{
    auto argv = ArgumentVector(arguments);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0)
        running_ = std::make_unique<Running>(Running { pid });
}

ChildProcess::~ChildProcess()
{
    if (running_ && !running_->ended) {
        kill();
        wait();
    }
}

bool ChildProcess::started() const
{
    return running_ != nullptr;
}

void ChildProcess::kill()
{
    if (running_ && !running_->ended)
        ::kill(running_->pid, SIGKILL);
}

std::optional<int> ChildProcess::wait()
{
    if (!running_ || running_->ended)
        return std::nullopt;
    int status = 0;
    while (::waitpid(running_->pid, &status, 0) < 0 && errno == EINTR) { }
    running_->ended = true;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return std::nullopt;
}

} // namespace vespern::test
