#include "platform/linux/TrashCan.h"
#include "platform/Win32Constants.h"
#include "platform/linux/LinuxPlatform.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
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
    LinuxPaths paths;
    paths.procRoot = tree_ / "proc";
    paths.dataHome = tree_ / "data";
    paths.mountTable = tree_ / "mountinfo";
    LinuxPlatform platform(paths, [&](const std::string& line) { errors.push_back(line); });
    EXPECT_EQ(platform.SHEmptyRecycleBinA(Window::Application, std::nullopt, 7), w32::SOk);
    expectEmptied("data/Trash");
    EXPECT_TRUE(errors.empty());

    fs::remove_all(tree_ / "data/Trash/info");
    fs::create_symlink(tree_ / "outside", tree_ / "data/Trash/info");
    EXPECT_EQ(platform.SHEmptyRecycleBinA(Window::Application, std::nullopt, 7), w32::EFail);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors.front().find("Trash/info"), std::string::npos) << errors.front();
    expectOutsideUntouched();
}

} // namespace
} // namespace vespern
