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

// Where a write of a path may go. A symbolic link is followed only when this process's user or
// root owns it, and, for root, only into a folder root owns: a link another account planted
// never leads a write (least of all root's) to a file of its choosing. A link into a folder
// that does not exist is not followed either: no folder is ever made through a link.
struct WriteTarget {
    std::filesystem::path file; // the file to replace: the requested one or a link's target
    bool throughLink = false;
    int error = 0; // 0, or why nothing may be written (EACCES for a refused link)
    std::string refusal; // for a refused link, why, in words
};
WriteTarget ResolveWriteTarget(const std::filesystem::path& requested);
// What the user is told of a write a link stopped: the file and why.
std::string RefusedWriteText(const std::filesystem::path& requested, const std::string& refusal);

// Replaces the file's content in one step: a temporary file created (O_EXCL, O_NOFOLLOW) in the
// folder that will hold the file, flushed to disk, renamed over the old one. A symbolic link
// that may be followed (ResolveWriteTarget) stays and its target is replaced, in the target's
// folder; another one is left as it is and refusal, when given, says why. The folder is created
// (mode 0700) when missing, but never through a link. Returns 0 or the errno of the step that
// failed; on failure the old file is untouched. A new file gets mode 0644, a replaced one keeps
// its mode. stamp, when given, receives the new file's.
int WriteFileAtomically(const std::filesystem::path& requested, std::string_view content, FileStamp* stamp = nullptr,
    std::string* refusal = nullptr);

// Opens (creating it, mode 0600) the lock file beside a file that is written: never through a
// symbolic link, and only a regular file. -1 when there is none to take.
int OpenLockFile(const std::filesystem::path& lock);

// Renames the file to file + suffix, or file + suffix + "-2", "-3" ... when that name is taken:
// an earlier copy is never replaced. Returns 0 or the errno; aside receives the name.
int MoveAside(const std::filesystem::path& file, const std::string& suffix, std::filesystem::path& aside);

// Creates the directory and its missing parents with mode 0700; 0 or the errno.
int MakeDirectories(const std::filesystem::path& directory);

// The system error code of the Win32 vocabulary for an errno.
std::int32_t Win32ErrorFromErrno(int error);

} // namespace vespern
