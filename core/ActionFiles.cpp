#include "ActionFiles.h"

namespace vespern {

std::string ExtractActionFileName(std::string_view argument)
{
    // "/" counts too: on Linux the desktop path arrives with forward slashes.
    const auto separator = argument.find_last_of("\\:/");
    if (separator == std::string_view::npos)
        return std::string(argument);
    return std::string(argument.substr(separator + 1));
}

std::optional<ActionKind> ActionForArgument(std::string_view argument)
{
    const std::string name = ExtractActionFileName(argument);
    for (const ActionKind kind : ActionFileOrder)
        if (name == Info(kind).actionFile)
            return kind;
    return std::nullopt;
}

} // namespace vespern
