#pragma once

// Runs a program from an argument vector and collects its standard output.

#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace vespern::test {

struct ProgramResult {
    int exitCode = -1;
    std::string output;
};

inline ProgramResult RunProgram(const std::vector<std::string>& arguments)
{
    ProgramResult result;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned == 0) {
        char buffer[4096];
        for (ssize_t got = 0; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
            result.output.append(buffer, static_cast<std::size_t>(got));
        int status = 0;
        ::waitpid(pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ::close(pipeFds[0]);
    return result;
}

} // namespace vespern::test
