#include "TrashCan.h"

#include "platform/linux/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <optional>
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

// The mount a directory, or an entry of it, belongs to; nothing where the kernel does not say
// (before Linux 5.8). A bind mount shares the device number of the file system it shows, so
// only the mount's own identifier tells it apart. Never mounts anything on access.
std::optional<std::uint64_t> mountIdOf(int directory, const char* name = "")
{
    struct statx status { };
    const int flags = (*name ? AT_SYMLINK_NOFOLLOW : AT_EMPTY_PATH) | AT_NO_AUTOMOUNT;
    if (::statx(directory, name, flags, STATX_MNT_ID, &status) == 0 && (status.stx_mask & STATX_MNT_ID) != 0)
        return status.stx_mnt_id;
    return std::nullopt;
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
        const std::string where = (dataHome / "Trash").string();
        if (UniqueFd trash = enter(home.get(), "Trash", where))
            emptyTrash(trash.get(), where);
    }

    void volumeTrashes(const std::filesystem::path& topdir)
    {
        UniqueFd top(::open(topdir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!top)
            return; // unmounted meanwhile or not ours to read
        const std::string uid = std::to_string(uid_);
        sharedTrash(top.get(), topdir / ".Trash", uid);
        const std::string own = ".Trash-" + uid;
        const std::string where = (topdir / own).string();
        UniqueFd trash = enter(top.get(), own.c_str(), where);
        if (trash && ownedByUser(trash.get(), where))
            emptyTrash(trash.get(), where);
    }

private:
    // $topdir/.Trash is shared by all users: only a real, sticky directory counts, and only
    // the user's own subdirectory in it.
    void sharedTrash(int top, const std::filesystem::path& shared, const std::string& uid)
    {
        UniqueFd sharedFd = enter(top, ".Trash", shared.string(), Quiet::Yes);
        struct stat status { };
        if (!sharedFd || ::fstat(sharedFd.get(), &status) != 0 || (status.st_mode & S_ISVTX) == 0)
            return;
        const std::string where = (shared / uid).string();
        UniqueFd trash = enter(sharedFd.get(), uid.c_str(), where);
        if (trash && ownedByUser(trash.get(), where))
            emptyTrash(trash.get(), where);
    }

    // The files first; then the information about each, but only about files that are gone, so
    // that nothing the trash still holds loses its entry.
    void emptyTrash(int trash, const std::string& where)
    {
        const std::string filesWhere = where + "/files";
        UniqueFd files = enter(trash, "files", filesWhere);
        const bool filesAbsent = !files && errno == ENOENT;
        if (files)
            removeContents(files.get(), 0, filesWhere);
        if (!files && !filesAbsent)
            return; // the entries may still have their files
        const std::string infoWhere = where + "/info";
        UniqueFd info = enter(trash, "info", infoWhere);
        if (!info)
            return;
        forEachEntry(info.get(), infoWhere, [&](const char* name, const std::string& at) {
            constexpr std::string_view suffix = ".trashinfo";
            const std::string_view entry(name);
            if (files && entry.ends_with(suffix)) {
                const std::string file(entry.substr(0, entry.size() - suffix.size()));
                struct stat status { };
                if (::fstatat(files.get(), file.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0)
                    return; // still there, and already told
            }
            removeEntry(info.get(), name, 0, at);
        });
    }

    enum class Quiet { No, Yes };

    // Opens a directory below `parent` to empty it: never a link, never another mount; one of
    // the user's own that they may not read or write is made so first (from its parent, which
    // needs no access to the directory itself). Nothing when it does not exist, errno ENOENT.
    UniqueFd enter(int parent, const char* name, const std::string& where, Quiet quiet = Quiet::No)
    {
        struct stat status { };
        if (::fstatat(parent, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT && quiet == Quiet::No)
                problem(where, errno);
            return UniqueFd();
        }
        auto refuse = [&](int error) {
            if (quiet == Quiet::No)
                problem(where, error);
            errno = error;
            return UniqueFd();
        };
        if (!S_ISDIR(status.st_mode))
            return refuse(S_ISLNK(status.st_mode) ? ELOOP : ENOTDIR);
        const auto parentMount = mountIdOf(parent);
        if (!parentMount) {
            if (quiet == Quiet::No)
                problem(where + ": this system does not tell mounts apart (Linux 5.8 or later does)");
            errno = ENOSYS;
            return UniqueFd();
        }
        if (mountIdOf(parent, name) != parentMount)
            return refuse(EXDEV); // a mount inside the trash: its files are not trash
        if (status.st_uid == uid_ && (status.st_mode & S_IRWXU) != S_IRWXU
            && ::fchmodat(parent, name, (status.st_mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW) != 0)
            return refuse(errno);
        UniqueFd fd(::openat(parent, name, directoryFlags));
        struct stat opened { };
        if (!fd || ::fstat(fd.get(), &opened) != 0)
            return refuse(errno);
        // Replaced or mounted over while we looked.
        if (opened.st_ino != status.st_ino || opened.st_dev != status.st_dev || mountIdOf(fd.get()) != parentMount)
            return refuse(EXDEV);
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

    template <typename Visit> void forEachEntry(int directory, const std::string& where, Visit visit)
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
            if (name != "." && name != "..")
                visit(entry->d_name, where + "/" + entry->d_name);
        }
    }

    void removeContents(int directory, int depth, const std::string& where)
    {
        forEachEntry(directory, where,
            [&](const char* name, const std::string& at) { removeEntry(directory, name, depth, at); });
    }

    void removeEntry(int directory, const char* name, int depth, const std::string& where)
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
        if (depth >= maxDepth) {
            problem(where, ENAMETOOLONG);
            return;
        }
        UniqueFd child = enter(directory, name, where);
        if (!child)
            return;
        removeContents(child.get(), depth + 1, where);
        child.reset();
        if (::unlinkat(directory, name, AT_REMOVEDIR) != 0 && errno != ENOENT)
            problem(where, errno);
    }

    void problem(const std::string& where, int error) { problem(describe(where, error)); }

    void problem(std::string text)
    {
        outcome_.complete = false;
        ++outcome_.failures;
        if (outcome_.problems.size() < maxProblems)
            outcome_.problems.push_back(std::move(text));
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
        outcome = { false, 1, { "the home trash: no home directory is known" } };
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
