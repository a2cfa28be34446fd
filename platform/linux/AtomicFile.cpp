#include "AtomicFile.h"

#include "UniqueFd.h"
#include "platform/Win32Constants.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
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

namespace {

WriteTarget refused(WriteTarget target, int error, std::string why)
{
    target.error = error;
    target.refusal = std::move(why);
    return target;
}

std::string ownerText(uid_t owner)
{
    return "uid " + std::to_string(owner);
}

// A new file that is only ours: never a link or a file someone placed under the name first.
UniqueFd createTemporary(int directory, const std::string& prefix, std::string& name)
{
    constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    constexpr int attempts = 100;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        unsigned char random[6] = {};
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random))
            return UniqueFd();
        name = prefix;
        for (const unsigned char byte : random)
            name += letters[byte % (sizeof letters - 1)];
        UniqueFd fd(::openat(directory, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return UniqueFd();
}

} // namespace

WriteTarget ResolveWriteTarget(const std::filesystem::path& requested)
{
    WriteTarget target { requested, false, 0, {} };
    const uid_t writer = ::geteuid();
    std::filesystem::path current = requested;
    for (int hop = 0; hop < maxLinks; ++hop) {
        struct stat link { };
        if (::lstat(current.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            target.file = current;
            return target;
        }
        if (link.st_uid != writer && link.st_uid != 0)
            return refused(std::move(target), EACCES,
                (hop == 0 ? "it is a symbolic link" : "it leads through " + current.string() + ", a symbolic link")
                    + " of another user (" + ownerText(link.st_uid) + ")");
        std::error_code failure;
        const auto next = std::filesystem::read_symlink(current, failure);
        if (failure) {
            target.error = failure.value();
            return target;
        }
        current = next.is_absolute() ? next : current.parent_path() / next;
        target.throughLink = true;
        const std::filesystem::path folder = current.parent_path().empty() ? "." : current.parent_path();
        struct stat directory { };
        if (::stat(folder.c_str(), &directory) != 0 || !S_ISDIR(directory.st_mode))
            return refused(std::move(target), ENOENT,
                "it is a symbolic link into " + folder.string()
                    + ", a folder that does not exist (none is made through a link)");
        if (writer == 0 && directory.st_uid != 0)
            return refused(std::move(target), EACCES,
                "it is a symbolic link into " + folder.string() + ", a folder of another user ("
                    + ownerText(directory.st_uid) + "), which root does not write through");
    }
    target.error = ELOOP;
    return target;
}

std::string RefusedWriteText(const std::filesystem::path& requested, const std::string& refusal)
{
    return requested.string() + " was not written: " + refusal + "; the link is left as it is";
}

int OpenLockFile(const std::filesystem::path& lock)
{
    UniqueFd fd(::open(lock.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd && errno == EEXIST)
        fd = UniqueFd(::open(lock.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status { };
    if (!fd || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return -1;
    return fd.release();
}

int WriteFileAtomically(
    const std::filesystem::path& requested, std::string_view content, FileStamp* stamp, std::string* refusal)
{
    const WriteTarget target = ResolveWriteTarget(requested);
    if (target.error != 0) {
        if (refusal)
            *refusal = target.refusal;
        return target.error;
    }
    const std::filesystem::path& file = target.file;
    const std::filesystem::path directory = file.parent_path().empty() ? "." : file.parent_path();
    if (!target.throughLink)
        if (const int made = MakeDirectories(directory); made != 0)
            return made;
    UniqueFd dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir)
        return errno;
    const std::string name = file.filename().string();
    std::string temporary;
    UniqueFd fd = createTemporary(dir.get(), "." + name + ".tmp-", temporary);
    if (!fd)
        return errno;
    // A replacement keeps the old file's mode; a new file is readable by all like any other
    // (the 0700 directories are what keep a user's files to the user).
    struct stat old { };
    const bool replaces = ::fstatat(dir.get(), name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode);
    ::fchmod(fd.get(), replaces ? old.st_mode & 07777 : 0644);
    int error = writeAll(fd.get(), content);
    if (error == 0 && ::fsync(fd.get()) != 0)
        error = errno;
    if (error == 0 && ::renameat(dir.get(), temporary.c_str(), dir.get(), name.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlinkat(dir.get(), temporary.c_str(), 0);
        return error;
    }
    // After the rename, which changes the file's change time.
    struct stat written { };
    if (stamp && ::fstat(fd.get(), &written) == 0)
        *stamp = StampOf(written);
    fd.reset();
    // The rename itself reaches the disk with the directory.
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
