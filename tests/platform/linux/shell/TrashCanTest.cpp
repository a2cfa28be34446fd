#include "platform/linux/shell/TrashCan.h"
#include "platform/Win32Constants.h"
#include "platform/linux/LinuxPlatform.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vespern {
namespace {

namespace fs = std::filesystem;

class TrashTree : public ::testing::Test {
protected:
    TrashTree()
    {
        tree_.write("outside/keep.txt", "precious");
        tree_.write("outside/dir/inner.txt", "precious too");
    }

    // A trash with files, nested directories, a read-only directory and links pointing out of it.
    void fillTrash(const fs::path& trash)
    {
        tree_.write(trash / "files/a.txt", "a");
        tree_.write(trash / "files/tree/nested/deep.txt", "deep");
        tree_.write(trash / "files/readonly/locked.txt", "locked");
        fs::permissions(tree_ / trash / "files/readonly", fs::perms::owner_read | fs::perms::owner_exec);
        fs::create_symlink(tree_ / "outside/keep.txt", tree_ / trash / "files/link-to-file");
        fs::create_symlink(tree_ / "outside/dir", tree_ / trash / "files/link-to-dir");
        fs::create_symlink(tree_ / "outside", tree_ / trash / "files/tree/nested/up");
        for (const char* name : { "a.txt", "tree", "readonly", "link-to-file", "link-to-dir" })
            tree_.write(trash / "info" / (std::string(name) + ".trashinfo"), "[Trash Info]\n");
    }

    void expectEmptied(const fs::path& trash)
    {
        for (const char* part : { "files", "info" }) {
            ASSERT_TRUE(fs::is_directory(tree_ / trash / part)) << trash << part;
            EXPECT_TRUE(fs::is_empty(tree_ / trash / part)) << trash << part;
        }
    }

    void expectOutsideUntouched()
    {
        EXPECT_TRUE(fs::exists(tree_ / "outside/keep.txt"));
        EXPECT_TRUE(fs::exists(tree_ / "outside/dir/inner.txt"));
    }

    void mountTable(const std::string& lines) { tree_.write("mountinfo", lines); }

    TrashCan trash() const { return TrashCan({ tree_ / "data", tree_ / "mountinfo", ::geteuid() }); }
    std::string uid() const { return std::to_string(::geteuid()); }

    test::TempTree tree_;
};

TEST_F(TrashTree, EmptiesHomeAndVolumeTrashesWithoutFollowingLinks)
{
    fillTrash("data/Trash");
    fillTrash("my vol/.Trash-" + uid());
    fillTrash("my vol/.Trash/" + uid());
    fs::permissions(tree_ / "my vol/.Trash", fs::perms::all | fs::perms::sticky_bit);
    // Only volumes inside the test tree: a real trash must never be touched.
    mountTable("23 1 0:21 / /proc rw - proc proc rw\n"
               "40 22 8:2 / "
        + (tree_ / "my\\040vol").string() + " rw,relatime shared:1 - ext4 /dev/sdb1 rw\n");

    const auto outcome = trash().EmptyAll();
    EXPECT_TRUE(outcome.complete) << (outcome.problems.empty() ? "" : outcome.problems.front());
    expectEmptied("data/Trash");
    expectEmptied("my vol/.Trash-" + uid());
    expectEmptied("my vol/.Trash/" + uid());
    expectOutsideUntouched();
}

TEST_F(TrashTree, TrashDirectoriesThatAreLinksOrNotOursAreLeftAlone)
{
    fillTrash("vol/.Trash/" + uid()); // .Trash without the sticky bit: anyone could have made it
    fs::permissions(tree_ / "vol/.Trash", fs::perms::owner_all);
    tree_.directory("vol");
    fs::create_symlink(tree_ / "outside", tree_ / ("vol/.Trash-" + uid()));
    tree_.directory("outside/files");
    tree_.write("outside/files/victim.txt", "mine");
    mountTable("40 22 8:2 / " + (tree_ / "vol").string() + " rw - ext4 /dev/sdb1 rw\n");

    const auto outcome = trash().EmptyAll();
    EXPECT_FALSE(outcome.complete);
    ASSERT_EQ(outcome.problems.size(), 1u);
    EXPECT_NE(outcome.problems.front().find(".Trash-" + uid()), std::string::npos) << outcome.problems.front();
    EXPECT_TRUE(fs::exists(tree_ / "outside/files/victim.txt"));
    EXPECT_TRUE(fs::exists(tree_ / ("vol/.Trash/" + uid() + "/files/a.txt")));
    expectOutsideUntouched();
}

TEST_F(TrashTree, MountTablesInBothFormatsSkipPseudoFileSystemsAndRepeats)
{
    tree_.write("mounts",
        "proc /proc proc rw 0 0\n/dev/sda1 / ext4 rw 0 0\n/dev/sdb1 /media/a\\040b vfat rw 0 0\n"
        "/dev/sda1 / ext4 rw 0 0\n");
    const TrashCan fromMounts({ tree_ / "data", tree_ / "mounts", 0 });
    EXPECT_EQ(fromMounts.MountPoints(), (std::vector<fs::path> { "/", "/media/a b" }));

    mountTable("21 1 0:20 / /sys rw shared:7 - sysfs sysfs rw\n22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
               "50 22 0:45 / /tmp rw shared:2 master:1 - tmpfs tmpfs rw\n");
    EXPECT_EQ(trash().MountPoints(), (std::vector<fs::path> { "/", "/tmp" }));
}

TEST_F(TrashTree, ThePlatformReportsAnIncompleteEmptying)
{
    fillTrash("data/Trash");
    mountTable("");
    std::vector<std::string> errors;
    std::vector<UserNotice> notices;
    LinuxPaths paths;
    paths.procRoot = tree_ / "proc";
    paths.dataHome = tree_ / "data";
    paths.mountTable = tree_ / "mountinfo";
    LinuxPlatform platform(
        paths, [&](const std::string& line) { errors.push_back(line); },
        [&](const UserNotice& notice) { notices.push_back(notice); });
    EXPECT_EQ(platform.SHEmptyRecycleBinA(Window::Application, std::nullopt, 7), w32::SOk);
    expectEmptied("data/Trash");
    EXPECT_TRUE(errors.empty());

    fs::remove_all(tree_ / "data/Trash/info");
    fs::create_symlink(tree_ / "outside", tree_ / "data/Trash/info");
    EXPECT_EQ(platform.SHEmptyRecycleBinA(Window::Application, std::nullopt, 7), w32::EFail);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors.front().find("Trash/info"), std::string::npos) << errors.front();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices.front().text.starts_with("The trash could not be emptied completely: "))
        << notices.front().text;
    expectOutsideUntouched();
}

// The emptying in a process of its own: as another user (so that a test run as root meets the
// permissions a user meets), or inside a mount namespace the test makes. What it found comes
// back through a pipe.
struct ChildRun {
    bool ran = false;
    std::string skipped; // why the child could not set itself up
    TrashCan::Outcome outcome;
};

template <typename Setup> ChildRun runInChild(const TrashCan& trash, Setup setup)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return { false, "no pipe", {} };
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::string report;
        if (const std::string failure = setup(); !failure.empty()) {
            report = "skip " + failure;
        } else {
            const auto outcome = trash.EmptyAll();
            report = std::to_string(outcome.failures) + "\n";
            for (const auto& problem : outcome.problems)
                report += problem + "\n";
        }
        [[maybe_unused]] const auto written = ::write(channel[1], report.data(), report.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t got = 0; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(got));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ChildRun run;
    if (report.starts_with("skip ")) {
        run.skipped = report.substr(5);
        return run;
    }
    std::istringstream lines(report);
    lines >> run.outcome.failures;
    lines.ignore();
    for (std::string line; std::getline(lines, line);)
        run.outcome.problems.push_back(line);
    run.outcome.complete = run.outcome.failures == 0;
    run.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !report.empty();
    return run;
}

constexpr uid_t otherUser = 65534;

// Gives the tree to the user the child becomes when the test runs as root.
void chownTree(const fs::path& root, uid_t uid)
{
    ::lchown(root.c_str(), uid, uid);
    for (const auto& entry : fs::recursive_directory_iterator(root))
        ::lchown(entry.path().c_str(), uid, uid);
}

std::string becomeUser(uid_t uid)
{
    if (::geteuid() != 0)
        return {};
    if (::setgroups(0, nullptr) != 0 || ::setresgid(uid, uid, uid) != 0 || ::setresuid(uid, uid, uid) != 0)
        return "cannot become user " + std::to_string(uid);
    ::prctl(PR_SET_DUMPABLE, 1); // keeps /proc/self/fd ours
    return {};
}

bool writeProcFile(const char* path, const std::string& text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    const bool written = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0)
        ::close(fd);
    return written;
}

// A mount namespace of the child's own: as root directly, otherwise inside a user namespace
// that maps the user to root there.
std::string privateMounts()
{
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid != 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return std::string("user and mount namespaces are not available here: ") + std::strerror(errno);
        if (!writeProcFile("/proc/self/setgroups", "deny")
            || !writeProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1")
            || !writeProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
            return "the user namespace cannot map this user";
    } else if (::unshare(CLONE_NEWNS) != 0) {
        return std::string("mount namespaces are not available here: ") + std::strerror(errno);
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return std::string("the mounts cannot be made private: ") + std::strerror(errno);
    return {};
}

bool containsProblem(const TrashCan::Outcome& outcome, const std::string& where, const char* reason)
{
    return std::any_of(outcome.problems.begin(), outcome.problems.end(), [&](const std::string& problem) {
        return problem.find(where + ": ") != std::string::npos && problem.find(reason) != std::string::npos;
    });
}

TEST_F(TrashTree, TheUsersOwnUnreadableDirectoriesAreEmptiedAndNoEntryIsOrphaned)
{
    const fs::path trash = "data/Trash";
    tree_.write(trash / "files/closed/inner/deep.txt", "x");
    tree_.write(trash / "files/writeonly/file.txt", "x");
    tree_.write(trash / "files/plain.txt", "x");
    for (const char* name : { "closed", "writeonly", "plain.txt", "gone-already" })
        tree_.write(trash / "info" / (std::string(name) + ".trashinfo"), "[Trash Info]\n");
    tree_.write(trash / "info/stray-file", "not an entry");
    mountTable("");
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        chownTree(tree_.root(), otherUser);
        // Another user's directory in the trash cannot be emptied: it stays, and so does its entry.
        tree_.write(trash / "files/foreign/theirs.txt", "x");
        tree_.write(trash / "info/foreign.trashinfo", "[Trash Info]\n");
        ::lchown((tree_ / trash / "info/foreign.trashinfo").c_str(), otherUser, otherUser);
    }
    fs::permissions(tree_ / trash / "files/closed/inner", fs::perms::none);
    fs::permissions(tree_ / trash / "files/closed", fs::perms::none);
    fs::permissions(tree_ / trash / "files/writeonly", fs::perms::owner_write | fs::perms::owner_exec);

    const uid_t uid = asRoot ? otherUser : ::geteuid();
    const ChildRun run
        = runInChild(TrashCan({ tree_ / "data", tree_ / "mountinfo", uid }), [uid] { return becomeUser(uid); });
    ASSERT_TRUE(run.skipped.empty()) << run.skipped;
    ASSERT_TRUE(run.ran);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(tree_ / trash / "files"))
        left.push_back(entry.path().filename().string());
    std::vector<std::string> entries;
    for (const auto& entry : fs::directory_iterator(tree_ / trash / "info"))
        entries.push_back(entry.path().filename().string());
    if (asRoot) {
        EXPECT_EQ(run.outcome.failures, 2u); // the file, and so its directory
        EXPECT_TRUE(
            containsProblem(run.outcome, (tree_ / trash / "files/foreign/theirs.txt").string(), "Permission denied"))
            << run.outcome.problems.front();
        EXPECT_EQ(left, std::vector<std::string> { "foreign" });
        EXPECT_EQ(entries, std::vector<std::string> { "foreign.trashinfo" });
    } else {
        EXPECT_TRUE(run.outcome.complete) << run.outcome.problems.front();
        EXPECT_TRUE(left.empty());
        EXPECT_TRUE(entries.empty());
    }
    expectOutsideUntouched();
}

TEST_F(TrashTree, ABindMountInsideTheTrashIsNeverEntered)
{
    const fs::path trash = "data/Trash";
    fillTrash(trash);
    tree_.directory(trash / "files/bound");
    tree_.directory(trash / "files/tree/inner");
    tree_.write(trash / "info/bound.trashinfo", "[Trash Info]\n");
    tree_.write(trash / "info/orphan.trashinfo", "[Trash Info]\n");
    // A second trash whose files directory itself is a bind mount of a directory elsewhere.
    // In the namespace the user is root, so their volume trash is .Trash-0.
    tree_.directory("vol/.Trash-0/files");
    tree_.write("vol/.Trash-0/info/inner.txt.trashinfo", "[Trash Info]\n");
    mountTable("40 22 8:2 / " + (tree_ / "vol").string() + " rw - ext4 /dev/sdb1 rw\n");
    const fs::path outside = tree_ / "outside";
    const fs::path bound = tree_ / trash / "files/bound";
    const fs::path inner = tree_ / trash / "files/tree/inner";
    const fs::path volumeFiles = tree_ / "vol/.Trash-0/files";

    const ChildRun run = runInChild(TrashCan({ tree_ / "data", tree_ / "mountinfo", 0 }), [&]() -> std::string {
        if (std::string failure = privateMounts(); !failure.empty())
            return failure;
        for (const auto& point : { bound, inner, volumeFiles })
            if (::mount(outside.c_str(), point.c_str(), nullptr, MS_BIND, nullptr) != 0)
                return "a bind mount cannot be made: " + std::string(std::strerror(errno));
        return {};
    });
    if (!run.skipped.empty())
        GTEST_SKIP() << "no bind mount in a namespace of the test's own: " << run.skipped;
    ASSERT_TRUE(run.ran);
    // Everything outside is still there: a bind mount shares the file system's device number,
    // so only its mount identifier shows that it is another mount.
    expectOutsideUntouched();
    EXPECT_TRUE(containsProblem(run.outcome, bound.string(), "Invalid cross-device link"));
    EXPECT_TRUE(containsProblem(run.outcome, inner.string(), "Invalid cross-device link"));
    EXPECT_TRUE(containsProblem(run.outcome, volumeFiles.string(), "Invalid cross-device link"));
    EXPECT_TRUE(containsProblem(run.outcome, (tree_ / trash / "files/tree").string(), "not empty"));
    EXPECT_EQ(run.outcome.failures, 4u);
    // What could not go keeps its entry; the rest, orphans included, is gone.
    std::vector<std::string> entries;
    for (const auto& entry : fs::directory_iterator(tree_ / trash / "info"))
        entries.push_back(entry.path().filename().string());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string> { "bound.trashinfo", "tree.trashinfo" }));
    EXPECT_TRUE(fs::exists(tree_ / "vol/.Trash-0/info/inner.txt.trashinfo"));
}
} // namespace
} // namespace vespern
