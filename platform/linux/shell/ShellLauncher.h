#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vespern {

// ShellExecuteA's "open": an executable file is started as its own program, any other existing
// file (documents, help files, folders) is handed to the desktop's opener. Both run detached:
// a session of their own, standard streams on /dev/null, no shell, and reaped when they end.
class ShellLauncher {
public:
    static constexpr std::intptr_t started = 42; // results above 32 mean success
    static constexpr std::intptr_t errorFileNotFound = 2;
    static constexpr std::intptr_t errorPathNotFound = 3;
    static constexpr std::intptr_t errorAccessDenied = 5;
    static constexpr std::intptr_t errorOutOfMemory = 8;
    static constexpr std::intptr_t errorBadFormat = 11;
    static constexpr std::intptr_t errorNoAssociation = 31;

    // The opener is a program name looked up on PATH, or a path.
    explicit ShellLauncher(std::string opener = "xdg-open");

    // diagnostic receives a line for the user when opening cannot work on this system.
    std::intptr_t Execute(const std::optional<std::string>& operation, const std::string& file,
        const std::optional<std::string>& parameters, const std::optional<std::string>& directory,
        std::string& diagnostic) const;

private:
    std::string opener_;
};

// Splits a parameter string at blanks; double quotes group blanks into one argument.
std::vector<std::string> SplitParameters(const std::string& parameters);

} // namespace vespern
