#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace vespern {

// One version of a file: a file written anew has another inode, one edited in place another
// size or modification time (or at least change time).
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0; // nanoseconds
    std::int64_t changed = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const struct stat& status);

struct FileRead {
    enum class Status { Read, Missing, NotRegular, TooLarge, Failed };
    Status status = Status::Missing;
    std::string content;
    FileStamp stamp;
    std::string reason; // why it was not read, in words: "it is a named pipe (FIFO), not a regular file"
};

// What kind of file a mode is, in words: "a named pipe (FIFO)", "a directory".
std::string FileKindName(mode_t mode);

// Reads a regular file of at most maxBytes, through symbolic links. Anything else (a named
// pipe, a device, a directory) is refused at once: it is opened without blocking, if at all,
// and never read.
FileRead ReadRegularFile(const std::filesystem::path& file, std::size_t maxBytes);

// The file a path names once its symbolic links are followed (the path itself when it is no
// link or does not exist); 0 or the errno in error.
std::filesystem::path FollowLinks(const std::filesystem::path& file, int& error);

// Replaces the file's content in one step: a temporary file in the same directory, flushed to
// disk, renamed over the old one. A symbolic link stays and its target is replaced, in the
// target's directory. The directory is created (mode 0700) when missing. Returns 0 or the errno
// of the step that failed; on failure the old file is untouched. A new file gets mode 0644, a
// replaced one keeps its mode. stamp, when given, receives the new file's.
int WriteFileAtomically(const std::filesystem::path& requested, std::string_view content, FileStamp* stamp = nullptr);

// Renames the file to file + suffix, or file + suffix + "-2", "-3" ... when that name is taken:
// an earlier copy is never replaced. Returns 0 or the errno; aside receives the name.
int MoveAside(const std::filesystem::path& file, const std::string& suffix, std::filesystem::path& aside);

// Creates the directory and its missing parents with mode 0700; 0 or the errno.
int MakeDirectories(const std::filesystem::path& directory);

// The system error code of the Win32 vocabulary for an errno.
std::int32_t Win32ErrorFromErrno(int error);

} // namespace vespern
