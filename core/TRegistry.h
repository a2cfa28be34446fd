#pragma once

#include "platform/Registry.h"

#include <cstdint>
#include <string>

namespace vespern {

// The registry access object: one root, at most one open key, closed on release.
class TRegistry {
public:
    explicit TRegistry(Registry& platform);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKey RootKey() const { return rootKey_; }
    // Changing the root closes the open key.
    void SetRootKey(HKey root);

    // A leading "\" makes the path absolute from the root; otherwise it is below the open key.
    // On failure no key is open.
    bool OpenKey(const std::string& path, bool canCreate);
    // The text of a plain or expandable string; empty when the key or the value is missing.
    // Throws "Invalid data type for '%s'" for a value of another type.
    std::string ReadString(const std::string& name);
    // Throw "Failed to set data for '%s'" when the write fails.
    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, std::int32_t value);
    bool DeleteValue(const std::string& name);
    void CloseKey();

private:
    Registry& platform_;
    HKey rootKey_;
    HKey currentKey_ = 0;
};

} // namespace vespern
