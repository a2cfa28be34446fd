#include "TrashCan.h"

#include "UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace vespern {

namespace {

constexpr std::size_t maxProblems = 8;
constexpr int maxDepth = 512;
constexpr int directoryFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Mounts that never hold user files; some of them (autofs) would even mount on access.
const std::set<std::string_view> pseudoFileSystems = { "autofs", "binfmt_misc", "bpf", "cgroup", "cgroup2", "configfs",
    "debugfs", "devpts", "efivarfs", "fusectl", "hugetlbfs", "mqueue", "nsfs", "proc", "pstore", "rpc_pipefs",
    "securityfs", "selinuxfs", "sysfs", "tracefs" };

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// Mount tables write space, tab, newline and backslash as three octal digits.
std::string unescapeMountPath(std::string_view text)
{
    std::string path;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            const std::string_view digits = text.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string_view::npos) {
                path += static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        path += text[i];
    }
    return path;
}

std::string describe(const std::string& where, int error)
{
    return where + ": " + std::strerror(error);
}

} // namespace

// One emptying run; collects what could not be removed.
class TrashCan::Walk {
public:
    Walk(uid_t uid, Outcome& outcome)
        : uid_(uid)
        , outcome_(outcome)
    {
    }

    void homeTrash(const std::filesystem::path& dataHome)
    {
        UniqueFd home(::open(dataHome.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!home) {
            if (errno != ENOENT)
                problem(dataHome.string(), errno);
            return;
        }
        UniqueFd trash = openDirectory(home.get(), "Trash", (dataHome / "Trash").string());
        if (trash)
            emptyTrash(trash.get(), (dataHome / "Trash").string());
    }

    void volumeTrashes(const std::filesystem::path& topdir)
    {
        UniqueFd top(::open(topdir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!top)
            return; // unmounted meanwhile or not ours to read
        const std::string uid = std::to_string(uid_);
        sharedTrash(top.get(), topdir / ".Trash", uid);
        const std::string own = ".Trash-" + uid;
        UniqueFd trash = openDirectory(top.get(), own.c_str(), (topdir / own).string());
        if (trash && ownedByUser(trash.get(), (topdir / own).string()))
            emptyTrash(trash.get(), (topdir / own).string());
    }

private:
    // $topdir/.Trash is shared by all users: only a real, sticky directory counts, and only
    // the user's own subdirectory in it.
    void sharedTrash(int top, const std::filesystem::path& shared, const std::string& uid)
    {
        UniqueFd sharedFd(::openat(top, ".Trash", directoryFlags));
        struct stat status { };
        if (!sharedFd || ::fstat(sharedFd.get(), &status) != 0 || (status.st_mode & S_ISVTX) == 0)
            return;
        UniqueFd trash = openDirectory(sharedFd.get(), uid.c_str(), (shared / uid).string());
        if (trash && ownedByUser(trash.get(), (shared / uid).string()))
            emptyTrash(trash.get(), (shared / uid).string());
    }

    void emptyTrash(int trash, const std::string& where)
    {
        struct stat trashStatus { };
        if (::fstat(trash, &trashStatus) != 0) {
            problem(where, errno);
            return;
        }
        for (const char* part : { "files", "info" }) {
            const std::string label = where + "/" + part;
            UniqueFd directory = openDirectory(trash, part, label);
            struct stat status { };
            if (!directory)
                continue;
            if (::fstat(directory.get(), &status) != 0) {
                problem(label, errno);
                continue;
            }
            if (status.st_dev != trashStatus.st_dev) {
                problem(label, EXDEV); // another file system mounted over it
                continue;
            }
            removeContents(directory.get(), status.st_dev, 0, label);
        }
    }

    // Nothing when the directory does not exist; a problem when it is a link or no directory.
    UniqueFd openDirectory(int parent, const char* name, const std::string& where)
    {
        UniqueFd fd(::openat(parent, name, directoryFlags));
        if (!fd && errno != ENOENT)
            problem(where, errno == ENOTDIR ? ELOOP : errno);
        return fd;
    }

    bool ownedByUser(int directory, const std::string& where)
    {
        struct stat status { };
        if (::fstat(directory, &status) != 0) {
            problem(where, errno);
            return false;
        }
        if (status.st_uid != uid_) {
            problem(where, EPERM);
            return false;
        }
        return true;
    }

    void removeContents(int directory, dev_t device, int depth, const std::string& where)
    {
        UniqueFd listingFd(::fcntl(directory, F_DUPFD_CLOEXEC, 0));
        std::unique_ptr<DIR, DirCloser> listing(listingFd ? ::fdopendir(listingFd.get()) : nullptr);
        if (!listing) {
            problem(where, errno);
            return;
        }
        listingFd.release();
        while (const dirent* entry = ::readdir(listing.get())) {
            const std::string_view name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            removeEntry(directory, entry->d_name, device, depth, where + "/" + entry->d_name);
        }
    }

    void removeEntry(int directory, const char* name, dev_t device, int depth, const std::string& where)
    {
        struct stat status { };
        if (::fstatat(directory, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                problem(where, errno);
            return;
        }
        if (!S_ISDIR(status.st_mode)) {
            if (::unlinkat(directory, name, 0) != 0 && errno != ENOENT)
                problem(where, errno);
            return;
        }
        if (status.st_dev != device) {
            problem(where, EXDEV); // a mount inside the trash: its files are not trash
            return;
        }
        if (depth >= maxDepth) {
            problem(where, ENAMETOOLONG);
            return;
        }
        UniqueFd child(::openat(directory, name, directoryFlags));
        struct stat opened { };
        if (!child || ::fstat(child.get(), &opened) != 0) {
            problem(where, errno);
            return;
        }
        if (opened.st_ino != status.st_ino || opened.st_dev != status.st_dev)
            return; // replaced while we looked; left for the next run
        // Read-only directories (unpacked archives, module caches) must become writable to be emptied.
        if (opened.st_uid == ::geteuid() && (opened.st_mode & S_IRWXU) != S_IRWXU)
            ::fchmod(child.get(), (opened.st_mode & 07777) | S_IRWXU);
        removeContents(child.get(), device, depth + 1, where);
        child.reset();
        if (::unlinkat(directory, name, AT_REMOVEDIR) != 0 && errno != ENOENT)
            problem(where, errno);
    }

    void problem(const std::string& where, int error)
    {
        outcome_.complete = false;
        if (outcome_.problems.size() < maxProblems)
            outcome_.problems.push_back(describe(where, error));
    }

    uid_t uid_;
    Outcome& outcome_;
};

TrashCan::TrashCan(Locations locations)
    : locations_(std::move(locations))
{
}

std::vector<std::filesystem::path> TrashCan::MountPoints() const
{
    std::vector<std::filesystem::path> points;
    std::set<std::string> seen;
    std::ifstream table(locations_.mountTable);
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream words(line);
        std::vector<std::string> fields;
        for (std::string word; words >> word;)
            fields.push_back(word);
        std::string point;
        std::string type;
        // mountinfo: id parent major:minor root mount-point options [optional...] - type source ...
        const auto separator = std::find(fields.begin(), fields.end(), "-");
        if (fields.size() >= 7 && separator != fields.end() && separator - fields.begin() >= 6
            && separator + 1 != fields.end()) {
            point = fields[4];
            type = *(separator + 1);
        } else if (fields.size() >= 3) { // mounts: source mount-point type options ...
            point = fields[1];
            type = fields[2];
        } else {
            continue;
        }
        point = unescapeMountPath(point);
        if (pseudoFileSystems.contains(type) || point.empty() || point[0] != '/' || !seen.insert(point).second)
            continue;
        points.emplace_back(point);
    }
    return points;
}

TrashCan::Outcome TrashCan::EmptyAll() const
{
    Outcome outcome;
    Walk walk(locations_.uid, outcome);
    if (locations_.dataHome.empty())
        outcome = { false, { "the home trash: no home directory is known" } };
    else
        walk.homeTrash(locations_.dataHome);
    for (const auto& point : MountPoints())
        walk.volumeTrashes(point);
    return outcome;
}

TrashCan::Outcome TrashCan::EmptyVolume(const std::filesystem::path& topdir) const
{
    Outcome outcome;
    Walk(locations_.uid, outcome).volumeTrashes(topdir);
    return outcome;
}

} // namespace vespern
