#include "RegistryFile.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace vespern {

namespace {

std::string utcTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc {};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

// Called with the root locked: no writer is between its temporary file and the rename, so a
// temporary file left over is one whose writer died.
void removeStaleTemporaries(const std::filesystem::path& file)
{
    const std::string prefix = "." + file.filename().string() + ".tmp-";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), error))
        if (entry.path().filename().string().starts_with(prefix))
            std::filesystem::remove(entry.path(), error);
}

} // namespace

RegistryFile::RegistryFile(std::filesystem::path file, std::string rootName)
    : path_(std::move(file))
    , rootName_(std::move(rootName))
    , parsed_ { RegHive(rootName_), {}, {}, 0 }
{
}

void RegistryFile::reset(State state, std::string reason)
{
    state_ = state;
    reason_ = std::move(reason);
    parsed_ = { RegHive(rootName_), {}, {}, 0 };
}

bool RegistryFile::Refresh()
{
    struct stat status { };
    if (::stat(path_.c_str(), &status) != 0) {
        const int error = errno;
        const State state = error == ENOENT || error == ENOTDIR ? State::Absent : State::Refused;
        const std::string reason = state == State::Absent ? std::string() : std::strerror(error);
        if (current_ && state_ == state && reason_ == reason)
            return false;
        reset(state, reason);
        stamp_.reset();
        current_ = true;
        return true;
    }
    if (current_ && stamp_ == StampOf(status))
        return false;
    FileRead read = ReadRegularFile(path_, reglimits::FileBytes);
    current_ = true;
    stamp_ = read.status == FileRead::Status::Missing ? std::nullopt : std::optional(read.stamp);
    switch (read.status) {
    case FileRead::Status::Missing:
        reset(State::Absent, {});
        return true;
    case FileRead::Status::NotRegular:
    case FileRead::Status::Failed:
        reset(State::Refused, read.reason);
        return true;
    case FileRead::Status::TooLarge:
        reset(State::Unparsable, read.reason);
        return true;
    case FileRead::Status::Read:
        break;
    }
    parsed_ = ParseRegFile(std::move(read.content), rootName_);
    state_ = parsed_.ok() ? State::Read : State::Unparsable;
    reason_ = parsed_.error;
    if (!parsed_.ok())
        parsed_.hive = RegHive(rootName_);
    return true;
}

int RegistryFile::Save()
{
    refusal_.clear();
    if (const WriteTarget where = target(); where.error == 0)
        removeStaleTemporaries(where.file);
    FileStamp written;
    if (const int error = WriteFileAtomically(path_, SerialiseRegFile(parsed_.hive), &written, &refusal_); error != 0) {
        current_ = false;
        return error;
    }
    stamp_ = written;
    state_ = State::Read;
    return 0;
}

int RegistryFile::MoveAside(std::filesystem::path& aside)
{
    const WriteTarget where = target();
    refusal_ = where.refusal;
    if (where.error != 0)
        return where.error;
    if (const int error = vespern::MoveAside(where.file, ".corrupt-" + utcTime(), aside); error != 0)
        return error;
    reset(State::Absent, {});
    stamp_.reset();
    return 0;
}

} // namespace vespern
