// libFuzzer target for the start-up argument that names a desktop action file: whatever the
// argument, its file name is the text after the last separator, and it names an action exactly
// when that name is the action's file name; any folder before a file name keeps its action.

#include "core/ActionFiles.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string argument(reinterpret_cast<const char*>(data), size);
    const std::string name = vespern::ExtractActionFileName(argument);
    require(name.find_first_of("\\:/") == std::string::npos);
    require(std::string_view(argument).ends_with(name));

    const auto kind = vespern::ActionForArgument(argument);
    require(kind.has_value() == vespern::ActionForArgument(name).has_value());
    if (kind)
        require(name == vespern::Info(*kind).actionFile);

    for (const vespern::ActionKind each : vespern::ActionFileOrder) {
        const std::string file(vespern::Info(each).actionFile);
        for (const char* separator : { "\\", "/", ":" })
            require(vespern::ActionForArgument(argument + separator + file) == each);
    }
    return 0;
}
