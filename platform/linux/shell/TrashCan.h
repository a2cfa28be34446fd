#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vespern {

// Empties the desktop trash: the home trash under the data home and the trash directories at
// the top of every mounted volume ($topdir/.Trash/$uid and $topdir/.Trash-$uid).
//
// Everything is removed through directory descriptors, never through a path and never through
// a symbolic link: a link inside the trash is removed as a link and its target stays, a trash
// directory that is itself a link is left alone, and another mount inside the trash (a bind
// mount of a directory elsewhere too) is not entered. The user's own directories that they may
// not read or write are made so before they are emptied. An entry's information goes only once
// its file is gone, so the trash never lists less than it holds.
class TrashCan {
public:
    struct Locations {
        std::filesystem::path dataHome; // the home trash is dataHome/Trash
        std::filesystem::path mountTable; // /proc/self/mountinfo or /proc/mounts
        uid_t uid = 0;
    };

    struct Outcome {
        bool complete = true;
        std::size_t failures = 0; // what could not be removed or entered
        std::vector<std::string> problems; // "path: reason", the first few
    };

    explicit TrashCan(Locations locations);

    Outcome EmptyAll() const;
    // Only the trash directories at the top of one volume.
    Outcome EmptyVolume(const std::filesystem::path& topdir) const;

    // The mount points that may carry a trash, in table order, without pseudo file systems.
    std::vector<std::filesystem::path> MountPoints() const;

private:
    class Walk;

    Locations locations_;
};

} // namespace vespern
