#pragma once

// The user's home and XDG base directories, worked out by one rule for every file this program
// keeps or looks for (options, autostart entry, desktop folder, trash, remote credentials).

#include <filesystem>

namespace vespern {

struct UserDirectories {
    std::filesystem::path home; // $HOME when absolute, else the account's home; empty if neither
    std::filesystem::path configHome; // $XDG_CONFIG_HOME when absolute, else home/.config
    std::filesystem::path dataHome; // $XDG_DATA_HOME when absolute, else home/.local/share
    std::filesystem::path runtimeDir; // $XDG_RUNTIME_DIR when absolute, else empty

    // A relative value would put the user's files below whatever directory the program was
    // started in, so only absolute ones count.
    static UserDirectories FromEnvironment();
};

} // namespace vespern
