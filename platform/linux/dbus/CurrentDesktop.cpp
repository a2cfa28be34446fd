#include "CurrentDesktop.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace vespern {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

bool CurrentDesktopIs(std::string_view name)
{
    const char* value = std::getenv("XDG_CURRENT_DESKTOP");
    std::string_view list = value ? value : "";
    while (!list.empty()) {
        const auto colon = list.find(':');
        if (sameName(list.substr(0, colon), name))
            return true;
        if (colon == std::string_view::npos)
            break;
        list.remove_prefix(colon + 1);
    }
    return false;
}

} // namespace vespern
