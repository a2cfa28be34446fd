// libFuzzer target for the Exec line of the autostart entry: for any program path (not empty and
// without a zero byte, which a registry text value cannot hold) the line stays one line with every
// control character that has an escape escaped, and the
// desktop, undoing first the key file's escapes and then the Exec quoting, finds exactly one
// argument: the program, with no field code.

#include "platform/linux/registry/RegistryStore.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// The escapes of a key file's string value: \s \n \t \r \\.
std::string unescapeValue(std::string_view value)
{
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            text += value[i];
            continue;
        }
        require(++i < value.size());
        switch (value[i]) {
        case 's':
            text += ' ';
            break;
        case 'n':
            text += '\n';
            break;
        case 't':
            text += '\t';
            break;
        case 'r':
            text += '\r';
            break;
        default:
            require(value[i] == '\\');
            text += '\\';
            break;
        }
    }
    return text;
}

// The field codes of an Exec value, expanded as the desktop does before it splits the value:
// "%%" is a percent sign, and no other may appear.
std::string expandFieldCodes(std::string_view exec)
{
    std::string text;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        if (exec[i] == '%')
            require(++i < exec.size() && exec[i] == '%');
        text += exec[i];
    }
    return text;
}

// The arguments of an Exec value: blanks separate them, double quotes group, and within quotes
// a backslash takes the next " ` $ or \ literally.
std::vector<std::string> splitExec(std::string_view exec)
{
    constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::vector<std::string> arguments;
    std::optional<std::string> current;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (c == ' ') {
            if (current)
                arguments.push_back(*current);
            current.reset();
        } else if (c == '"') {
            std::string quoted;
            for (++i;; ++i) {
                require(i < exec.size());
                if (exec[i] == '"')
                    break;
                if (exec[i] == '\\') {
                    require(++i < exec.size() && std::string_view("\"`$\\").find(exec[i]) != std::string_view::npos);
                }
                quoted += exec[i];
            }
            current = current.value_or("") + quoted;
        } else {
            require(reserved.find(c) == std::string_view::npos);
            current = current.value_or("") + c;
        }
    }
    if (current)
        arguments.push_back(*current);
    return arguments;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string program(reinterpret_cast<const char*>(data), size);
    if (program.empty() || program.find('\0') != std::string::npos)
        return 0;
    const std::string value = vespern::DesktopExec(program);
    require(value.find_first_of("\r\n\t") == std::string::npos);
    const auto arguments = splitExec(expandFieldCodes(unescapeValue(value)));
    require(arguments.size() == 1 && arguments.front() == program);
    return 0;
}
