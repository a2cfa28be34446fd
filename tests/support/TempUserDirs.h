#pragma once

// A private home for one test: HOME, XDG_CONFIG_HOME and VESPERN_REGISTRY_DIR point into a
// fresh temporary directory for the life of the object and are restored afterwards. Windows
// ignores these variables; its tests reach the home through the store (support/SystemStore.h).

#include "support/HostSystem.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

namespace vespern::test {

class TempUserDirs {
public:
    TempUserDirs()
        : TempUserDirs(MakeTemporaryDirectory("vespern-test-"))
    {
        owned_ = true;
    }
    // The dirs another test process made under root, which it removes.
    explicit TempUserDirs(std::filesystem::path sharedRoot)
        : root(std::move(sharedRoot))
    {
        home = root / "home";
        config = home / ".config";
        registry = root / "registry";
        std::filesystem::create_directories(config);
        set("HOME", home.string());
        set("XDG_CONFIG_HOME", config.string());
        set("VESPERN_REGISTRY_DIR", registry.string());
    }
    ~TempUserDirs()
    {
        for (const auto& [name, value] : saved_) {
            if (value)
                SetEnvironment(name, *value);
            else
                UnsetEnvironment(name);
        }
        std::error_code ignored;
        if (owned_)
            std::filesystem::remove_all(root, ignored);
    }
    TempUserDirs(const TempUserDirs&) = delete;
    TempUserDirs& operator=(const TempUserDirs&) = delete;

    void set(const std::string& name, const std::string& value)
    {
        if (!saved_.contains(name))
            saved_[name] = GetEnvironment(name);
        SetEnvironment(name, value);
    }

    std::filesystem::path root, home, config, registry;

private:
    bool owned_ = false;
    std::map<std::string, std::optional<std::string>> saved_;
};

inline std::string ReadText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteText(const std::filesystem::path& file, const std::string& text)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

} // namespace vespern::test
