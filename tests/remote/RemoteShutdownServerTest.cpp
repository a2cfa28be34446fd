// End to end against a real Samba server: with-samba-server.sh starts one in private namespaces
// and runs this binary beside it. The assertions read what the server decoded from the wire.

#include "platform/Win32Constants.h"
#include "platform/linux/LinuxPlatform.h"
#include "remote/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace vespern::test {
namespace {

struct DecodedRequest {
    std::string message;
    std::uint32_t timeout = 0;
    std::uint32_t forceApps = 0;
    std::uint32_t doReboot = 0;
};

// The number in a debug line such as "timeout : 0x00000000 (0)".
std::uint32_t decodedNumber(const std::string& line)
{
    const auto open = line.rfind('(');
    return static_cast<std::uint32_t>(std::stoul(line.substr(open + 1)));
}

// Every initshutdown_Init request in the server's debug logs, in the order of one log file.
std::vector<DecodedRequest> decodedRequests()
{
    std::vector<DecodedRequest> requests;
    const char* logs = std::getenv("VESPERN_TEST_SAMBA_LOGS");
    for (const auto& entry : std::filesystem::directory_iterator(logs)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream log(entry.path());
        std::string line;
        std::optional<DecodedRequest> current;
        while (std::getline(log, line)) {
            if (line.find("in: struct initshutdown_Init") != std::string::npos) {
                current = DecodedRequest {};
                continue;
            }
            if (!current)
                continue;
            const auto field = line.find_first_not_of(' ');
            const std::string text = field == std::string::npos ? std::string() : line.substr(field);
            if (text.rfind("string ", 0) == 0 && text.find('\'') != std::string::npos)
                current->message = text.substr(text.find('\'') + 1, text.rfind('\'') - text.find('\'') - 1);
            else if (text.rfind("timeout ", 0) == 0)
                current->timeout = decodedNumber(text);
            else if (text.rfind("force_apps ", 0) == 0)
                current->forceApps = decodedNumber(text);
            else if (text.rfind("do_reboot ", 0) == 0) {
                current->doReboot = decodedNumber(text);
                requests.push_back(*current);
                current.reset();
            }
        }
    }
    return requests;
}

class AgainstSamba : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("VESPERN_TEST_SAMBA_LOGS"))
            GTEST_SKIP() << "run through tests/remote/with-samba-server.sh, which starts the Samba server";
        environment_.set("HOME", home_.path().string());
        environment_.unset("XDG_CONFIG_HOME");
        environment_.unset("KRB5CCNAME");
        environment_.set("USER", std::getenv("VESPERN_TEST_SMB_USER"));
        environment_.set("PASSWD", std::getenv("VESPERN_TEST_SMB_PASSWORD"));
    }

    bool shutdown(const std::string& machine, const std::string& message, std::uint32_t timeout, std::int32_t force,
        std::int32_t reboot)
    {
        lines_.clear();
        const bool accepted = platform_.InitiateSystemShutdownA(machine, message, timeout, force, reboot);
        error_ = platform_.GetLastError();
        return accepted;
    }

    TemporaryDirectory home_;
    ScopedEnvironment environment_;
    std::vector<std::string> lines_;
    LinuxPlatform platform_ { {}, [this](const std::string& line) { lines_.push_back(line); } };
    std::uint32_t error_ = 0;
};

struct Request {
    const char* what;
    const char* machine;
    std::string message;
    std::uint32_t timeout;
    std::int32_t force;
    std::int32_t reboot;
};

TEST_F(AgainstSamba, ServerReceivesTheRequestAsPassed)
{
    const std::string message = "Network computer action activated";
    const Request cases[] = {
        { "shutdown", "\\\\127.0.0.1", message, 0, 0, 0 },
        { "forced shutdown", "\\\\127.0.0.1", message, 0, -1, 0 },
        { "reboot, by name", "\\\\localhost", message, 0, 0, -1 },
        { "forced reboot", "127.0.0.1", message, 0, -1, -1 },
        { "any nonzero is true, time-out kept", "127.0.0.1", message, 45, 1, 7 },
        { "text a shell would change", "127.0.0.1", "  two  spaces 'single' \"double\" $HOME `id` -r --force", 0, 0,
            0 },
    };
    for (const auto& request : cases) {
        SCOPED_TRACE(request.what);
        const auto before = decodedRequests().size();
        EXPECT_TRUE(shutdown(request.machine, request.message, request.timeout, request.force, request.reboot));
        EXPECT_EQ(error_, 0u);
        EXPECT_TRUE(lines_.empty()) << lines_.front();
        const auto after = decodedRequests();
        ASSERT_EQ(after.size(), before + 1);
        EXPECT_EQ(after.back().message, request.message);
        EXPECT_EQ(after.back().timeout, request.timeout);
        EXPECT_EQ(after.back().forceApps, request.force != 0 ? 1u : 0u);
        EXPECT_EQ(after.back().doReboot, request.reboot != 0 ? 1u : 0u);
    }
}

TEST_F(AgainstSamba, AuthFileGivesTheCredentials)
{
    environment_.set("PASSWD", "wrong");
    const auto path = home_.path() / ".config" / "vespern" / "remote.auth";
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "username = " << std::getenv("VESPERN_TEST_SMB_USER")
                        << "\npassword = " << std::getenv("VESPERN_TEST_SMB_PASSWORD") << "\n";
    ::chmod(path.c_str(), 0600);
    const auto before = decodedRequests().size();
    EXPECT_TRUE(shutdown("\\\\127.0.0.1", "from the auth file", 0, 0, -1));
    ASSERT_EQ(decodedRequests().size(), before + 1);
    EXPECT_EQ(decodedRequests().back().message, "from the auth file");
}

struct Failure {
    const char* what {};
    const char* machine {};
    const char* user {}; // nullptr keeps the privileged one
    const char* password {}; // nullptr keeps the right one
    const char* port {}; // nullptr keeps the server's
    std::uint32_t error {};
    const char* reason {};
    bool decoded = false; // the server read the request before refusing it
};

TEST_F(AgainstSamba, FailuresAreReported)
{
    const std::string otherPort = std::to_string(std::stoi(std::getenv("VESPERN_SMB_PORT")) + 1);
    const char* plainUser = std::getenv("VESPERN_TEST_SMB_PLAIN_USER");
    const char* plainPassword = std::getenv("VESPERN_TEST_SMB_PLAIN_PASSWORD");
    const Failure cases[] = {
        { "wrong password", "\\\\127.0.0.1", nullptr, "wrong", nullptr, 1326, "0xC000006D" },
        { "account without the right", "\\\\127.0.0.1", plainUser, plainPassword, nullptr, 5, "refused the request",
            true },
        { "nobody listening there", "\\\\127.0.0.2", nullptr, nullptr, nullptr, 53, "Connection refused" },
        { "closed port", "\\\\127.0.0.1", nullptr, nullptr, otherPort.c_str(), 53, "Connection refused" },
        { "unknown computer", "\\\\nonexistent.invalid", nullptr, nullptr, nullptr, 53, "cannot be found" },
    };
    for (const auto& failure : cases) {
        SCOPED_TRACE(failure.what);
        ScopedEnvironment local;
        if (failure.user)
            local.set("USER", failure.user);
        if (failure.password)
            local.set("PASSWD", failure.password);
        if (failure.port)
            local.set("VESPERN_SMB_PORT", failure.port);
        const auto before = decodedRequests().size();
        EXPECT_FALSE(shutdown(failure.machine, "must not arrive", 0, -1, -1));
        EXPECT_EQ(error_, failure.error);
        ASSERT_EQ(lines_.size(), 1u);
        EXPECT_NE(lines_[0].find(failure.reason), std::string::npos) << lines_[0];
        EXPECT_EQ(decodedRequests().size(), before + (failure.decoded ? 1 : 0));
    }
}

TEST_F(AgainstSamba, PrivilegeLookupFindsComputers)
{
    Luid luid;
    EXPECT_TRUE(platform_.LookupPrivilegeValueA("\\\\127.0.0.1", "SeRemoteShutdownPrivilege", luid));
    EXPECT_FALSE(platform_.LookupPrivilegeValueA("\\\\nonexistent.invalid", "SeRemoteShutdownPrivilege", luid));
    EXPECT_EQ(platform_.GetLastError(), w32::RpcSServerUnavailable);
    ASSERT_EQ(lines_.size(), 1u);
    EXPECT_NE(lines_[0].find("nonexistent.invalid"), std::string::npos) << lines_[0];
}

} // namespace
} // namespace vespern::test
