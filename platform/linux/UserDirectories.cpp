#include "UserDirectories.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace vespern {

namespace {

std::filesystem::path absoluteEnvironmentPath(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return {};
    return value;
}

std::filesystem::path accountHome()
{
    std::vector<char> buffer(16384);
    passwd entry {};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir
        || found->pw_dir[0] != '/')
        return {};
    return found->pw_dir;
}

// The base directory from its variable, else its place below the home (none without a home).
std::filesystem::path baseDirectory(const char* name, const std::filesystem::path& home, const char* below)
{
    if (auto path = absoluteEnvironmentPath(name); !path.empty())
        return path;
    return home.empty() ? std::filesystem::path {} : home / below;
}

} // namespace

UserDirectories UserDirectories::FromEnvironment()
{
    UserDirectories dirs;
    dirs.home = absoluteEnvironmentPath("HOME");
    if (dirs.home.empty())
        dirs.home = accountHome();
    dirs.configHome = baseDirectory("XDG_CONFIG_HOME", dirs.home, ".config");
    dirs.dataHome = baseDirectory("XDG_DATA_HOME", dirs.home, ".local/share");
    dirs.runtimeDir = absoluteEnvironmentPath("XDG_RUNTIME_DIR");
    return dirs;
}

} // namespace vespern
