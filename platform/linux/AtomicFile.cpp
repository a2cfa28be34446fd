#include "AtomicFile.h"

#include "UniqueFd.h"
#include "platform/Win32Constants.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vespern {

namespace {

constexpr int maxLinks = 40; // as the kernel follows them

int writeAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

std::int64_t nanoseconds(const timespec& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// Refuses what is not a regular file or is too large; true when the file may be read.
bool mayRead(const struct stat& status, std::size_t maxBytes, FileRead& read)
{
    read.stamp = StampOf(status);
    if (!S_ISREG(status.st_mode)) {
        read.status = FileRead::Status::NotRegular;
        read.reason = "it is " + FileKindName(status.st_mode) + ", not a regular file";
        return false;
    }
    if (static_cast<std::uintmax_t>(status.st_size) > maxBytes) {
        read.status = FileRead::Status::TooLarge;
        read.reason = "it has " + std::to_string(status.st_size) + " bytes, more than the " + std::to_string(maxBytes)
            + " it may have";
        return false;
    }
    return true;
}

FileRead failed(int error)
{
    FileRead read;
    if (error == ENOENT || error == ENOTDIR)
        return read;
    read.status = FileRead::Status::Failed;
    read.reason = std::strerror(error);
    return read;
}

} // namespace

std::string FileKindName(mode_t mode)
{
    if (S_ISREG(mode))
        return "a regular file";
    if (S_ISFIFO(mode))
        return "a named pipe (FIFO)";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISSOCK(mode))
        return "a socket";
    return "a file of an unknown kind";
}

FileStamp StampOf(const struct stat& status)
{
    return { status.st_dev, status.st_ino, status.st_size, nanoseconds(status.st_mtim), nanoseconds(status.st_ctim) };
}

FileRead ReadRegularFile(const std::filesystem::path& file, std::size_t maxBytes)
{
    FileRead read;
    struct stat status { };
    if (::stat(file.c_str(), &status) != 0)
        return failed(errno);
    if (!mayRead(status, maxBytes, read))
        return read;
    // Without blocking: the file may have been replaced by a pipe since.
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd || ::fstat(fd.get(), &status) != 0)
        return failed(errno);
    if (!mayRead(status, maxBytes, read))
        return read;
    // One byte more than the file has sees the end at once; one more than allowed, a file that
    // grew too large meanwhile.
    read.content.resize(std::min(maxBytes + 1, static_cast<std::size_t>(status.st_size) + 1));
    std::size_t have = 0;
    for (;;) {
        if (read.content.size() == have)
            read.content.resize(std::min(maxBytes + 1, std::max<std::size_t>(have * 2, 4096)));
        const ssize_t got = ::read(fd.get(), read.content.data() + have, read.content.size() - have);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return failed(errno);
        }
        if (got == 0)
            break;
        have += static_cast<std::size_t>(got);
        if (have > maxBytes) {
            read.status = FileRead::Status::TooLarge;
            read.content.clear();
            read.reason = "it has more than the " + std::to_string(maxBytes) + " bytes it may have";
            return read;
        }
    }
    read.content.resize(have);
    read.status = FileRead::Status::Read;
    return read;
}

std::filesystem::path FollowLinks(const std::filesystem::path& file, int& error)
{
    error = 0;
    std::filesystem::path current = file;
    for (int hop = 0; hop < maxLinks; ++hop) {
        struct stat status { };
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return current;
        std::error_code failure;
        const auto target = std::filesystem::read_symlink(current, failure);
        if (failure) {
            error = failure.value();
            return file;
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    error = ELOOP;
    return file;
}

int MakeDirectories(const std::filesystem::path& directory)
{
    if (directory.empty() || ::mkdir(directory.c_str(), 0700) == 0)
        return 0;
    if (errno == EEXIST)
        return 0;
    if (errno != ENOENT)
        return errno;
    if (const int error = MakeDirectories(directory.parent_path()); error != 0)
        return error;
    if (::mkdir(directory.c_str(), 0700) == 0 || errno == EEXIST)
        return 0;
    return errno;
}

int WriteFileAtomically(const std::filesystem::path& requested, std::string_view content, FileStamp* stamp)
{
    int error = 0;
    const std::filesystem::path file = FollowLinks(requested, error);
    if (error != 0)
        return error;
    const std::filesystem::path directory = file.parent_path().empty() ? "." : file.parent_path();
    if (const int made = MakeDirectories(directory); made != 0)
        return made;
    std::string pattern = (directory / ("." + file.filename().string() + ".tmp-XXXXXX")).string();
    UniqueFd fd(::mkstemp(pattern.data()));
    if (!fd)
        return errno;
    // A replacement keeps the old file's mode; a new file is readable by all like any other
    // (the 0700 directories are what keep a user's files to the user).
    struct stat old { };
    ::fchmod(fd.get(), ::stat(file.c_str(), &old) == 0 ? old.st_mode & 07777 : 0644);
    error = writeAll(fd.get(), content);
    if (error == 0 && ::fsync(fd.get()) != 0)
        error = errno;
    if (error == 0 && ::rename(pattern.c_str(), file.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(pattern.c_str());
        return error;
    }
    // After the rename, which changes the file's change time.
    struct stat written { };
    if (stamp && ::fstat(fd.get(), &written) == 0)
        *stamp = StampOf(written);
    fd.reset();
    // The rename itself reaches the disk with the directory.
    if (UniqueFd dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); dir)
        ::fsync(dir.get());
    return 0;
}

int MoveAside(const std::filesystem::path& file, const std::string& suffix, std::filesystem::path& aside)
{
    constexpr int attempts = 1000;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        aside = file.string() + suffix + (attempt == 1 ? std::string() : "-" + std::to_string(attempt));
        if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno == EEXIST)
            continue;
        if (errno != EINVAL)
            return errno;
        // A file system without that kind of rename: a second name first, which is never
        // given over an existing one, then the old name goes.
        if (::link(file.c_str(), aside.c_str()) == 0)
            return ::unlink(file.c_str()) == 0 ? 0 : errno;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

std::int32_t Win32ErrorFromErrno(int error)
{
    switch (error) {
    case 0:
        return 0;
    case EACCES:
    case EPERM:
    case EROFS:
        return static_cast<std::int32_t>(w32::ErrorAccessDenied);
    case ENOENT:
    case ENOTDIR:
        return static_cast<std::int32_t>(w32::ErrorPathNotFound);
    case ENOSPC:
        return static_cast<std::int32_t>(w32::ErrorDiskFull);
    default:
        return static_cast<std::int32_t>(w32::ErrorWriteFault);
    }
}

} // namespace vespern
