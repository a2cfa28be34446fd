// The remote shutdown request's own checks and its handling of the Samba client's outcome.
// Nothing here goes beyond a loopback socket the test opens itself.

#include "platform/linux/power/RemoteShutdown.h"
#include "platform/Win32Constants.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/power/BoundedProcess.h"
#include "remote/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <utility>

namespace vespern::test {
namespace {

using namespace std::chrono_literals;

TEST(BoundedProcess, CapturesOutputAndStatusAndStopsAtItsLimits)
{
    const auto echo = RunBoundedProcess({ "/bin/echo", "two  words", "-n" });
    EXPECT_EQ(echo.end, ProcessOutcome::End::Exited);
    EXPECT_EQ(echo.exitCode, 0);
    EXPECT_EQ(echo.output, "two  words -n\n");

    EXPECT_EQ(RunBoundedProcess({ "/bin/false" }).exitCode, 1);
    // Standard input is /dev/null, so a reader ends at once.
    EXPECT_EQ(RunBoundedProcess({ "/bin/cat" }, { 2000ms }).end, ProcessOutcome::End::Exited);

    const auto start = std::chrono::steady_clock::now();
    const auto slow = RunBoundedProcess({ "/bin/sleep", "10" }, { 200ms });
    EXPECT_EQ(slow.end, ProcessOutcome::End::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);

    const auto chatty = RunBoundedProcess({ "/usr/bin/yes" }, { 300ms, 1000 });
    EXPECT_EQ(chatty.end, ProcessOutcome::End::TimedOut);
    EXPECT_EQ(chatty.output.size(), 1000u);

    const auto missing = RunBoundedProcess({ "/nonexistent/tool" });
    EXPECT_EQ(missing.end, ProcessOutcome::End::NotStarted);
    EXPECT_EQ(missing.spawnError, ENOENT);
}

TEST(RemoteShutdown, ComputerNamesLoseTheirLeadingBackslashes)
{
    EXPECT_EQ(NetworkComputerName("\\\\PC01"), "PC01");
    EXPECT_EQ(NetworkComputerName("PC01"), "PC01");
    EXPECT_EQ(NetworkComputerName("\\\\"), "");
    EXPECT_EQ(NetworkComputerName(""), "");
}

TEST(RemoteShutdown, AuthFileFollowsTheConfigurationDirectory)
{
    ScopedEnvironment environment;
    environment.set("HOME", "/home/alice");
    environment.set("XDG_CONFIG_HOME", "/etc/alice");
    EXPECT_EQ(RemoteAuthFilePath(), "/etc/alice/vespern/remote.auth");
    environment.set("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_EQ(RemoteAuthFilePath(), "/home/alice/.config/vespern/remote.auth");
    environment.unset("XDG_CONFIG_HOME");
    EXPECT_EQ(RemoteAuthFilePath(), "/home/alice/.config/vespern/remote.auth");
    environment.unset("HOME");
    EXPECT_EQ(RemoteAuthFilePath(),
        std::filesystem::path(::getpwuid(::geteuid())->pw_dir) / ".config" / "vespern" / "remote.auth");
}

struct Refusal {
    const char* what;
    std::string machine;
    std::uint32_t error;
    const char* reason; // part of the one line on standard error
};

class RemoteShutdownWithoutServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        environment_.set("HOME", home_.path().string());
        environment_.unset("XDG_CONFIG_HOME");
        environment_.unset("VESPERN_SMB_PORT");
    }

    std::uint32_t send(const std::string& machine, RemoteShutdownSettings settings = {})
    {
        lines_.clear();
        RemoteShutdown remote([this](const std::string& line) { lines_.push_back(line); }, std::move(settings));
        return remote.Send(machine, "Network computer action activated", 0, true, false);
    }

    void writeAuthFile(mode_t mode)
    {
        const auto path = home_.path() / ".config" / "vespern" / "remote.auth";
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << "username = alice\npassword = secret\n";
        ::chmod(path.c_str(), mode);
    }

    TemporaryDirectory home_;
    ScopedEnvironment environment_;
    std::vector<std::string> lines_;
};

TEST_F(RemoteShutdownWithoutServer, NeverThisComputerNorBadInput)
{
    const Refusal cases[] = {
        { "no name means this computer", "", w32::ErrorCallNotImplemented, "never to this one" },
        { "only backslashes", "\\\\", w32::ErrorCallNotImplemented, "never to this one" },
        { "a space", "\\\\PC 01", 123, "not a valid computer name" },
        { "binding options", "PC01[sign]", 123, "not a valid computer name" },
    };
    for (const auto& refusal : cases) {
        SCOPED_TRACE(refusal.what);
        EXPECT_EQ(send(refusal.machine), refusal.error);
        ASSERT_EQ(lines_.size(), 1u);
        EXPECT_NE(lines_[0].find(refusal.reason), std::string::npos) << lines_[0];
    }
}

TEST_F(RemoteShutdownWithoutServer, MissingClientIsNamed)
{
    RemoteShutdownSettings settings;
    settings.python = "/nonexistent/python3";
    EXPECT_EQ(send("127.0.0.1", settings), w32::ErrorCallNotImplemented);
    ASSERT_EQ(lines_.size(), 1u);
    EXPECT_NE(lines_[0].find("python3-samba"), std::string::npos) << lines_[0];
}

TEST_F(RemoteShutdownWithoutServer, TheAuthFileMustBeTheUsersAloneAndTheRefusalSaysWhy)
{
    const auto path = home_.path() / ".config" / "vespern" / "remote.auth";
    struct Case {
        const char* what;
        std::function<void()> make;
        const char* reason; // nullptr: accepted
    };
    const bool root = ::geteuid() == 0;
    const Case cases[] = {
        { "0600", [&] { writeAuthFile(0600); }, nullptr },
        { "0400, stricter", [&] { writeAuthFile(0400); }, nullptr },
        { "0700", [&] { writeAuthFile(0700); }, nullptr },
        { "readable by all", [&] { writeAuthFile(0644); }, "others may read or write it (mode 0644); make it 0600" },
        { "readable by the group", [&] { writeAuthFile(0640); }, "(mode 0640)" },
        { "writable by the group", [&] { writeAuthFile(0620); }, "(mode 0620)" },
        { "readable by others", [&] { writeAuthFile(0604); }, "(mode 0604)" },
        { "a directory",
            [&] {
                std::filesystem::remove(path);
                std::filesystem::create_directories(path);
            },
            "it is a directory, not a regular file" },
        { "a named pipe",
            [&] {
                std::filesystem::remove_all(path);
                ::mkfifo(path.c_str(), 0600);
            },
            "it is a named pipe (FIFO), not a regular file" },
    };
    for (const auto& authCase : cases) {
        SCOPED_TRACE(authCase.what);
        std::filesystem::remove_all(path);
        authCase.make();
        const std::uint32_t error = send("127.0.0.1");
        ASSERT_EQ(lines_.size(), 1u);
        if (!authCase.reason) {
            EXPECT_EQ(lines_[0].find("refusing"), std::string::npos) << lines_[0];
            continue;
        }
        EXPECT_EQ(error, w32::ErrorAccessDenied);
        EXPECT_NE(lines_[0].find("refusing " + path.string() + ": "), std::string::npos) << lines_[0];
        EXPECT_NE(lines_[0].find(authCase.reason), std::string::npos) << lines_[0];
    }
    if (!root)
        return; // only root can give the file to someone else
    std::filesystem::remove_all(path);
    writeAuthFile(0600);
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    EXPECT_EQ(send("127.0.0.1"), w32::ErrorAccessDenied);
    ASSERT_EQ(lines_.size(), 1u);
    EXPECT_NE(lines_[0].find("it belongs to user 65534, not to you (user 0)"), std::string::npos) << lines_[0];
}

TEST_F(RemoteShutdownWithoutServer, PortMustBeANumber)
{
    for (const char* port : { "smb", "0", "65536", "-1", "44 5" }) {
        SCOPED_TRACE(port);
        environment_.set("VESPERN_SMB_PORT", port);
        EXPECT_EQ(send("127.0.0.1"), 87u);
        ASSERT_EQ(lines_.size(), 1u);
        EXPECT_NE(lines_[0].find("VESPERN_SMB_PORT"), std::string::npos) << lines_[0];
    }
}

// Stands in for the SMB port: the request checks that the computer takes connections there
// before it starts the Samba client.
class LoopbackListener {
public:
    LoopbackListener()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        // A failure of either shows as a refused connection in the test.
        static_cast<void>(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address));
        static_cast<void>(::listen(fd_, 8));
        socklen_t size = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
    }
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;
    ~LoopbackListener() { ::close(fd_); }
    std::string port() const { return std::to_string(port_); }

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

struct HelperBehaviour {
    const char* what;
    const char* script; // the body of a stand-in for the Samba client
    std::uint32_t error;
    const char* reason;
};

TEST_F(RemoteShutdownWithoutServer, EveryWayTheClientCanEndIsReported)
{
    LoopbackListener listener;
    environment_.set("VESPERN_SMB_PORT", listener.port());
    const HelperBehaviour cases[] = {
        { "bindings missing", "echo \"VESPERN-RESULT missing No module named 'samba'\"; exit 3", 120, "python3-samba" },
        { "server answers with an error", "echo 'VESPERN-RESULT werror 1115 WERR_SHUTDOWN_IN_PROGRESS'; exit 1", 1115,
            "WERR_SHUTDOWN_IN_PROGRESS" },
        { "no answer line", "echo 'Traceback: something broke'; exit 2", 1722, "something broke" },
        { "ended by a signal", "kill -9 $$", 1722, "signal 9" },
        { "hangs", "exec sleep 10", 1460, "no answer within" },
    };
    for (const auto& behaviour : cases) {
        SCOPED_TRACE(behaviour.what);
        const auto helper = home_.path() / "fake-python";
        std::ofstream(helper) << "#!/bin/sh\n" << behaviour.script << "\n";
        ::chmod(helper.c_str(), 0755);
        RemoteShutdownSettings settings;
        settings.python = helper;
        settings.runTime = 300ms;
        EXPECT_EQ(send("127.0.0.1", settings), behaviour.error);
        ASSERT_EQ(lines_.size(), 1u);
        EXPECT_NE(lines_[0].find(behaviour.reason), std::string::npos) << lines_[0];
    }
}

TEST(LinuxPrivileges, KnownPrivilegesHaveTheirIdentifiers)
{
    std::vector<std::string> lines;
    LinuxPlatform platform({}, [&](const std::string& line) { lines.push_back(line); });
    Luid luid;
    EXPECT_TRUE(platform.LookupPrivilegeValueA(std::nullopt, "SeShutdownPrivilege", luid));
    EXPECT_EQ(luid, (Luid { 19, 0 }));
    EXPECT_TRUE(platform.LookupPrivilegeValueA(std::string(), "SeShutdownPrivilege", luid));
    // A loopback name resolves from the hosts file alone.
    EXPECT_TRUE(platform.LookupPrivilegeValueA("\\\\localhost", "SeRemoteShutdownPrivilege", luid));
    EXPECT_EQ(luid, (Luid { 24, 0 }));
    EXPECT_FALSE(platform.LookupPrivilegeValueA(std::nullopt, "SeNoSuchPrivilege", luid));
    EXPECT_EQ(platform.GetLastError(), w32::ErrorNoSuchPrivilege);
    EXPECT_FALSE(platform.LookupPrivilegeValueA("\\\\bad name", "SeRemoteShutdownPrivilege", luid));
    EXPECT_EQ(platform.GetLastError(), w32::RpcSServerUnavailable);
    EXPECT_EQ(lines.size(), 1u);
}

} // namespace
} // namespace vespern::test
