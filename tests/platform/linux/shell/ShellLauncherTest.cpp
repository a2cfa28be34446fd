#include "platform/linux/shell/ShellLauncher.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace vespern {
namespace {

namespace fs = std::filesystem;

class Launch : public ::testing::Test {
protected:
    Launch()
    {
        // Records what a started program sees; the marker appears in one rename.
        script("opener",
            "printf '%s\\n' \"$@\" > " + (tree_ / "opener.tmp").string() + "; mv " + (tree_ / "opener.tmp").string()
                + " " + (tree_ / "opener.out").string());
    }

    fs::path script(const std::string& name, const std::string& body)
    {
        auto path = tree_.write(name, "#!/bin/sh\n" + body + "\n");
        fs::permissions(path, fs::perms::owner_all);
        return path;
    }

    // Bounded wait for a file a started program writes.
    std::string waitFor(const fs::path& file)
    {
        for (int i = 0; i < 500 && !fs::exists(file); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::intptr_t run(const std::string& file, const std::optional<std::string>& parameters = std::nullopt,
        const std::optional<std::string>& directory = std::nullopt)
    {
        return launcher_.Execute(std::nullopt, file, parameters, directory, diagnostic_);
    }

    test::TempTree tree_;
    ShellLauncher launcher_ { (tree_ / "opener").string() };
    std::string diagnostic_;
};

TEST_F(Launch, AProgramRunsDetachedInItsOwnSessionAndIsReaped)
{
    const auto marker = tree_ / "program.out";
    const auto program = script("program",
        "{ echo \"args:$*\"; echo \"pwd:$(pwd)\"; echo \"stdin:$(readlink /proc/$$/fd/0)\"; "
        "echo \"session:$(cut -d' ' -f6 /proc/$$/stat)\"; echo \"pid:$$\"; } > "
            + (tree_ / "program.tmp").string() + "; mv " + (tree_ / "program.tmp").string() + " " + marker.string());

    EXPECT_GT(run(program.string(), "one \"two words\"", tree_.root().string()), 32);
    const std::string seen = waitFor(marker);
    EXPECT_NE(seen.find("args:one two words\n"), std::string::npos) << seen;
    EXPECT_NE(seen.find("pwd:" + tree_.root().string() + "\n"), std::string::npos) << seen;
    EXPECT_NE(seen.find("stdin:/dev/null\n"), std::string::npos) << seen;
    const auto pidAt = seen.find("pid:");
    ASSERT_NE(pidAt, std::string::npos) << seen;
    const std::string pid = seen.substr(pidAt + 4, seen.find('\n', pidAt) - pidAt - 4);
    EXPECT_NE(seen.find("session:" + pid + "\n"), std::string::npos) << "leads a session of its own: " << seen;
    EXPECT_FALSE(fs::exists(tree_ / "opener.out")) << "a program is not handed to the opener";

    // An ended child that nobody waited for would stay in the process table as a zombie.
    for (int i = 0; i < 500 && fs::exists("/proc/" + pid); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(fs::exists("/proc/" + pid));
}

TEST_F(Launch, OtherFilesGoToTheOpener)
{
    const auto help = tree_.write("Vespern help.chm", "ITSF");
    EXPECT_GT(run(help.string()), 32);
    EXPECT_EQ(waitFor(tree_ / "opener.out"), help.string() + "\n");

    fs::remove(tree_ / "opener.out");
    const auto document = tree_.write("marked-executable.txt", "just text, no program");
    fs::permissions(document, fs::perms::owner_all);
    EXPECT_GT(run(document.string()), 32);
    EXPECT_EQ(waitFor(tree_ / "opener.out"), document.string() + "\n");
}

TEST_F(Launch, FailuresGiveShellErrorCodes)
{
    const auto plain = tree_.write("plain.txt", "x");
    EXPECT_EQ(run(""), ShellLauncher::errorFileNotFound);
    EXPECT_EQ(run((tree_ / "missing").string()), ShellLauncher::errorFileNotFound);
    EXPECT_EQ(run((plain / "below").string()), ShellLauncher::errorPathNotFound);
    EXPECT_EQ(run(plain.string(), std::nullopt, (tree_ / "no-such-dir").string()), ShellLauncher::errorPathNotFound);
    EXPECT_EQ(launcher_.Execute("print", plain.string(), std::nullopt, std::nullopt, diagnostic_),
        ShellLauncher::errorNoAssociation);
    EXPECT_TRUE(diagnostic_.empty());

    const ShellLauncher noOpener((tree_ / "not-installed").string());
    EXPECT_EQ(noOpener.Execute(std::nullopt, plain.string(), std::nullopt, std::nullopt, diagnostic_),
        ShellLauncher::errorNoAssociation);
    EXPECT_NE(diagnostic_.find("not-installed"), std::string::npos) << diagnostic_;
}

TEST(SplitParameters, BlanksSeparateAndQuotesGroup)
{
    EXPECT_EQ(SplitParameters(""), std::vector<std::string> {});
    EXPECT_EQ(SplitParameters("  a  b\t"), (std::vector<std::string> { "a", "b" }));
    EXPECT_EQ(SplitParameters("\"C:\\a b\" -x \"\""), (std::vector<std::string> { "C:\\a b", "-x", "" }));
}

} // namespace
} // namespace vespern
