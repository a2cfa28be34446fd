#include "AtomicFile.h"

#include "platform/Win32Constants.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vespern {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : fd_(fd)
    {
    }
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

} // namespace

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

} // namespace

int WriteFileAtomically(const std::filesystem::path& file, std::string_view content)
{
    const std::filesystem::path directory = file.parent_path().empty() ? "." : file.parent_path();
    if (const int error = MakeDirectories(directory); error != 0)
        return error;
    std::string pattern = (directory / ("." + file.filename().string() + ".tmp-XXXXXX")).string();
    FileDescriptor fd(::mkstemp(pattern.data()));
    if (fd.get() < 0)
        return errno;
    // A replacement keeps the old file's mode; a new file is readable by all like any other
    // (the 0700 directories are what keep a user's files to the user).
    struct stat old { };
    ::fchmod(fd.get(), ::stat(file.c_str(), &old) == 0 ? old.st_mode & 07777 : 0644);
    int error = writeAll(fd.get(), content);
    if (error == 0 && ::fsync(fd.get()) != 0)
        error = errno;
    if (error == 0 && ::close(fd.release()) != 0)
        error = errno;
    if (error == 0 && ::rename(pattern.c_str(), file.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(pattern.c_str());
        return error;
    }
    // The rename itself reaches the disk with the directory.
    if (FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); dir.get() >= 0)
        ::fsync(dir.get());
    return 0;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file, int& errorOut)
{
    errorOut = 0;
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        errorOut = errno == ENOENT ? 0 : errno;
        return std::nullopt;
    }
    std::string content;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            errorOut = errno;
            return std::nullopt;
        }
        if (got == 0)
            return content;
        content.append(buffer, static_cast<std::size_t>(got));
    }
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
        return 3; // ERROR_PATH_NOT_FOUND
    case ENOSPC:
        return 112; // ERROR_DISK_FULL
    default:
        return 29; // ERROR_WRITE_FAULT
    }
}

} // namespace vespern
