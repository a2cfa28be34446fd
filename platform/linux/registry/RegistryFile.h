#pragma once

// One registry file as it was last read: the hive it holds and the version of the file that
// was. The file is parsed once and read again only when it changed on disk (another inode,
// size or time), so a query costs one stat of the file.

#include "RegFile.h"
#include "platform/linux/AtomicFile.h"

#include <filesystem>
#include <optional>
#include <string>

namespace vespern {

class RegistryFile final {
public:
    enum class State {
        Absent, // no file yet: an empty root, written at the first change
        Read, // read, perhaps with lines kept but not read (problems())
        Unparsable, // not a registry file, or too large: empty until a change keeps it aside
        Refused, // not a regular file, or not readable: empty and never written
    };

    RegistryFile(std::filesystem::path file, std::string rootName);

    const std::filesystem::path& path() const { return path_; }
    // Where writes go: the file, or the target of a symbolic link that may be followed.
    WriteTarget target() const { return ResolveWriteTarget(path_); }

    // Reads the file again when it changed since the last read; true when it did.
    bool Refresh();

    State state() const { return state_; }
    // Why the file is Unparsable or Refused.
    const std::string& reason() const { return reason_; }
    const RegParseResult& parsed() const { return parsed_; }
    // Empty unless the file was read.
    const RegHive& hive() const { return parsed_.hive; }
    RegHive& hive() { return parsed_.hive; }

    // Writes the hive atomically. On failure the file stays as it was, and so will the hive:
    // the next Refresh reads it again.
    int Save();
    // Renames an unparsable file so that it is never overwritten; the root then starts empty.
    int MoveAside(std::filesystem::path& aside);
    // Why the last Save or MoveAside did not go through a symbolic link; empty when it did not
    // stop at one.
    const std::string& refusal() const { return refusal_; }

private:
    void reset(State state, std::string reason);

    std::filesystem::path path_;
    std::string rootName_;
    State state_ = State::Absent;
    std::string reason_;
    std::string refusal_;
    RegParseResult parsed_;
    // The version last read; nothing for a file that was absent or could not be looked at.
    std::optional<FileStamp> stamp_;
    bool current_ = false; // false until read, and after a failed save
};

} // namespace vespern
