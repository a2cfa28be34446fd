#include "TRegistry.h"

#include "VespernError.h"
#include "platform/Win32Constants.h"

#include <algorithm>
#include <vector>

namespace vespern {

TRegistry::TRegistry(Registry& platform)
    : platform_(platform)
    , rootKey_(w32::HkeyCurrentUser)
{
}

TRegistry::~TRegistry()
{
    CloseKey();
}

void TRegistry::SetRootKey(HKey root)
{
    if (root == rootKey_)
        return;
    CloseKey();
    rootKey_ = root;
}

bool TRegistry::OpenKey(const std::string& path, bool canCreate)
{
    const bool absolute = !path.empty() && path.front() == '\\';
    const HKey base = absolute || currentKey_ == 0 ? rootKey_ : currentKey_;
    const std::string subKey = absolute ? path.substr(1) : path;
    HKey opened = 0;
    std::int32_t result = 0;
    if (canCreate) {
        std::uint32_t disposition = 0;
        result = platform_.RegCreateKeyExA(
            base, subKey, w32::RegOptionNonVolatile, w32::KeyAllAccess, opened, disposition);
    } else {
        result = platform_.RegOpenKeyExA(base, subKey, 0, w32::KeyAllAccess, opened);
    }
    CloseKey();
    if (result != 0)
        return false;
    currentKey_ = opened;
    return true;
}

std::string TRegistry::ReadString(const std::string& name)
{
    if (currentKey_ == 0)
        return {};
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (platform_.RegQueryValueExA(currentKey_, name, type, {}, size) != 0)
        return {};
    if (type != w32::RegSz && type != w32::RegExpandSz)
        throw VespernError("Invalid data type for '" + name + "'");
    std::vector<std::uint8_t> data(size);
    if (size == 0 || platform_.RegQueryValueExA(currentKey_, name, type, data, size) != 0)
        return {};
    const std::string text(
        data.begin(), data.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(size, data.size())));
    // NOLINTNEXTLINE(readability-redundant-string-cstr): cut at the first zero byte, as the system does
    return std::string(text.c_str());
}

void TRegistry::WriteString(const std::string& name, const std::string& value)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(value.c_str());
    if (platform_.RegSetValueExA(currentKey_, name, w32::RegSz, { bytes, value.size() + 1 }) != 0)
        throw VespernError("Failed to set data for '" + name + "'");
}

void TRegistry::WriteInteger(const std::string& name, std::int32_t value)
{
    const auto number = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = { static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
        static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24) };
    if (platform_.RegSetValueExA(currentKey_, name, w32::RegDword, bytes) != 0)
        throw VespernError("Failed to set data for '" + name + "'");
}

bool TRegistry::DeleteValue(const std::string& name)
{
    return platform_.RegDeleteValueA(currentKey_, name) == 0;
}

void TRegistry::CloseKey()
{
    if (currentKey_ == 0)
        return;
    platform_.RegCloseKey(currentKey_);
    currentKey_ = 0;
}

} // namespace vespern
