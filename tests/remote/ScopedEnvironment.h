#pragma once

// Environment variables and a private directory for one test, put back afterwards.

#include "support/HostSystem.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace vespern::test {

class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment()
    {
        for (const auto& [name, value] : saved_)
            value ? SetEnvironment(name, *value) : UnsetEnvironment(name);
    }

    void set(const std::string& name, const std::string& value)
    {
        remember(name);
        SetEnvironment(name, value);
    }
    void unset(const std::string& name)
    {
        remember(name);
        UnsetEnvironment(name);
    }

private:
    void remember(const std::string& name)
    {
        if (saved_.contains(name))
            return;
        saved_[name] = GetEnvironment(name);
    }

    std::map<std::string, std::optional<std::string>> saved_;
};

class TemporaryDirectory {
public:
    TemporaryDirectory()
        : path_(MakeTemporaryDirectory("vespern-test."))
    {
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    ~TemporaryDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace vespern::test
