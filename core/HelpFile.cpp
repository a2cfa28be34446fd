#include "HelpFile.h"

#include "platform/Win32Constants.h"

#include <optional>

namespace vespern {

std::string HelpFilePath(PowerPlatform& platform)
{
    const std::string executable = platform.GetModuleFileNameA(0);
    const auto separator = executable.find_last_of("/\\");
    if (separator == std::string::npos)
        return HelpFileName;
    // The folder keeps the separator the system wrote the path with.
    return executable.substr(0, separator + 1) + HelpFileName;
}

void OpenHelp(PowerPlatform& platform)
{
    platform.ShellExecuteA(Window::Main, std::nullopt, HelpFilePath(platform), std::nullopt, std::nullopt, w32::SwShow);
}

} // namespace vespern
