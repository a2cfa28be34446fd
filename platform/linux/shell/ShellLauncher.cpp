#include "ShellLauncher.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vespern {

namespace {

struct SpawnSetup {
    posix_spawnattr_t attributes {};
    posix_spawn_file_actions_t actions {};

    SpawnSetup()
    {
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

std::intptr_t fromErrno(int error)
{
    switch (error) {
    case ENOENT:
        return ShellLauncher::errorFileNotFound;
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
        return ShellLauncher::errorPathNotFound;
    case EACCES:
    case EPERM:
        return ShellLauncher::errorAccessDenied;
    case ENOMEM:
    case EAGAIN:
        return ShellLauncher::errorOutOfMemory;
    case ENOEXEC:
        return ShellLauncher::errorBadFormat;
    default:
        return ShellLauncher::errorNoAssociation;
    }
}

// The child is waited for on a thread of its own so that it never lingers as a zombie.
void reapLater(pid_t child)
{
    try {
        std::thread([child] {
            while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) { }
        }).detach();
    } catch (const std::system_error&) {
        // no thread to spare: the exit status stays with the kernel until the program ends
    }
}

// Returns 0 or the errno value of the failed start.
int spawnDetached(const std::vector<std::string>& arguments, const std::optional<std::string>& directory, bool search)
{
    SpawnSetup setup;
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&setup.attributes, &signals);
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(&setup.attributes, &signals);
    posix_spawnattr_setflags(
        &setup.attributes, static_cast<short>(POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));
    posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&setup.actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&setup.actions, 1, 2);
    posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3);
    if (directory && !directory->empty())
        posix_spawn_file_actions_addchdir_np(&setup.actions, directory->c_str());

    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int error = search ? ::posix_spawnp(&child, argv[0], &setup.actions, &setup.attributes, argv.data(), environ)
                             : ::posix_spawn(&child, argv[0], &setup.actions, &setup.attributes, argv.data(), environ);
    if (error == 0)
        reapLater(child);
    return error;
}

bool isOpenVerb(const std::optional<std::string>& operation)
{
    if (!operation || operation->empty())
        return true;
    std::string verb = *operation;
    for (char& c : verb)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return verb == "open";
}

} // namespace

std::vector<std::string> SplitParameters(const std::string& parameters)
{
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false;
    bool any = false;
    for (const char c : parameters) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any)
                arguments.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        arguments.push_back(current);
    return arguments;
}

ShellLauncher::ShellLauncher(std::string opener)
    : opener_(std::move(opener))
{
}

std::intptr_t ShellLauncher::Execute(const std::optional<std::string>& operation, const std::string& file,
    const std::optional<std::string>& parameters, const std::optional<std::string>& directory,
    std::string& diagnostic) const
{
    if (!isOpenVerb(operation))
        return errorNoAssociation;
    if (file.empty())
        return errorFileNotFound;
    std::error_code pathError;
    // Absolute, so that a file name starting with "-" never reads as an option.
    const std::string path = std::filesystem::absolute(file, pathError).string();
    struct stat status { };
    if (pathError || ::stat(path.c_str(), &status) != 0)
        return pathError ? errorPathNotFound : fromErrno(errno);
    struct stat place { };
    if (directory && !directory->empty() && (::stat(directory->c_str(), &place) != 0 || !S_ISDIR(place.st_mode)))
        return errorPathNotFound;

    if (S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0) {
        std::vector<std::string> arguments { path };
        if (parameters)
            for (auto& argument : SplitParameters(*parameters))
                arguments.push_back(std::move(argument));
        const int error = spawnDetached(arguments, directory, false);
        if (error != ENOEXEC) // marked executable but no program: a document on a permissive volume
            return error == 0 ? started : fromErrno(error);
    }

    const int error = spawnDetached({ opener_, path }, directory, true);
    if (error == 0)
        return started;
    if (error == ENOENT) {
        diagnostic = "vespern: cannot open " + path + ": the program '" + opener_
            + "' that opens files on this desktop is not installed";
        return errorNoAssociation;
    }
    return fromErrno(error);
}

} // namespace vespern
