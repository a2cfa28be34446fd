#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vespern {

// Replaces the file's content in one step: a temporary file in the same directory, flushed to
// disk, renamed over the old one. The directory is created (mode 0700) when missing. Returns 0
// or the errno of the step that failed; on failure the old file is untouched. A new file gets
// mode 0644, a replaced one keeps its mode.
int WriteFileAtomically(const std::filesystem::path& file, std::string_view content);

// Creates the directory and its missing parents with mode 0700; 0 or the errno.
int MakeDirectories(const std::filesystem::path& directory);

// The whole file; nothing when it does not exist. errorOut gets the errno of a failed read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file, int& errorOut);

// The system error code of the Win32 vocabulary for an errno.
std::int32_t Win32ErrorFromErrno(int error);

} // namespace vespern
