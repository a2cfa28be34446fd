#include "core/ComputerBrowser.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/dbus/AvahiDiscovery.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vespern::test {
namespace {

class FakeDiscovery final : public ComputerDiscovery {
public:
    bool available = true;
    std::vector<std::string> computers;
    int starts = 0;
    int stops = 0;

    bool Available(std::string& reason) override
    {
        reason = "no network here";
        return available;
    }
    bool Start(Found found) override
    {
        ++starts;
        found_ = std::move(found);
        return true;
    }
    int EventFd() const override { return -1; }
    void Dispatch() override
    {
        for (const auto& name : computers)
            found_(name);
    }
    void Stop() override { ++stops; }

private:
    Found found_;
};

// Picks wanted from what discovery shows, as a user would; cancels when it is not there.
ComputerPicker pickerChoosing(const std::optional<std::string>& wanted, std::vector<std::string>& titles)
{
    return [wanted, &titles](const std::string& title, ComputerDiscovery& discovery) -> std::optional<std::string> {
        titles.push_back(title);
        std::vector<std::string> shown;
        discovery.Start([&](const std::string& name) { shown.push_back(name); });
        discovery.Dispatch();
        discovery.Stop();
        if (wanted && std::find(shown.begin(), shown.end(), *wanted) != shown.end())
            return wanted;
        return std::nullopt;
    };
}

struct LinuxBrowse {
    std::vector<std::string> errors;
    LinuxPlatform platform { {}, [this](const std::string& line) { errors.push_back(line); } };
    std::string edit1;
    ComputerBrowser browser { platform, edit1 };
    std::vector<std::string> titles;
    FakeDiscovery* discovery = nullptr;

    explicit LinuxBrowse(std::vector<std::string> computers)
    {
        auto fake = std::make_unique<FakeDiscovery>();
        fake->computers = std::move(computers);
        discovery = fake.get();
        platform.SetComputerDiscovery(std::move(fake));
    }
};

TEST(LinuxComputerBrowser, PicksAComputerThatDiscoveryShows)
{
    LinuxBrowse f({ "WS2", "SERVER1" });
    f.platform.SetComputerPicker(pickerChoosing("SERVER1", f.titles));
    f.browser.BitBtn5Click();
    EXPECT_EQ(f.edit1, "\\\\SERVER1");
    EXPECT_EQ(f.titles, std::vector<std::string> { "Select Computer" });
    EXPECT_EQ(f.discovery->stops, f.discovery->starts);
    EXPECT_TRUE(f.errors.empty());
}

TEST(LinuxComputerBrowser, CancelKeepsTheEdit)
{
    LinuxBrowse f({ "WS2" });
    f.edit1 = "\\\\OLD";
    f.platform.SetComputerPicker(pickerChoosing(std::nullopt, f.titles));
    f.browser.BitBtn5Click();
    EXPECT_EQ(f.edit1, "\\\\OLD");
}

TEST(LinuxComputerBrowser, TwoBrowsesReplaceTheName)
{
    LinuxBrowse f({ "SERVER1", "SERVER2" });
    f.platform.SetComputerPicker(pickerChoosing("SERVER1", f.titles));
    f.browser.BitBtn5Click();
    f.platform.SetComputerPicker(pickerChoosing("SERVER2", f.titles));
    f.browser.BitBtn5Click();
    EXPECT_EQ(f.edit1, "\\\\SERVER2");
}

TEST(LinuxComputerBrowser, WithoutDiscoveryThereIsNoDialog)
{
    LinuxBrowse f({ "SERVER1" });
    f.discovery->available = false;
    f.platform.SetComputerPicker(pickerChoosing("SERVER1", f.titles));
    std::string name;
    EXPECT_FALSE(f.browser.BrowseForComputer("Select Computer", name));
    EXPECT_TRUE(f.titles.empty());
    ASSERT_EQ(f.errors.size(), 1u);
    EXPECT_NE(f.errors[0].find("no network here"), std::string::npos);
}

TEST(AvahiDiscovery, WorkstationNamesLoseTheirHardwareAddress)
{
    EXPECT_EQ(AvahiDiscovery::ComputerName("ws-host [00:11:22:33:44:55]", "_workstation._tcp"), "ws-host");
    EXPECT_EQ(AvahiDiscovery::ComputerName("odd [name]", "_smb._tcp"), "odd [name]");
    EXPECT_EQ(AvahiDiscovery::ComputerName("plain", "_workstation._tcp"), "plain");
}

// A child process that is ended when the test is done.
class Child {
public:
    explicit Child(std::vector<std::string> argv, int stdoutPipe = -1)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (stdoutPipe >= 0)
            posix_spawn_file_actions_adddup2(&actions, stdoutPipe, STDOUT_FILENO);
        std::vector<char*> args;
        for (auto& arg : argv)
            args.push_back(arg.data());
        args.push_back(nullptr);
        if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    bool running() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
};

// A bus of the test's own, standing in for the system bus.
class PrivateSystemBus : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vespern-bus-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        daemon_ = std::make_unique<Child>(std::vector<std::string> { "dbus-daemon", "--session", "--nofork",
                                              "--address=unix:path=" + (dir_ / "bus").string(), "--print-address=1" },
            fds[1]);
        close(fds[1]);
        std::string address;
        pollfd wait { fds[0], POLLIN, 0 };
        char c = 0;
        while (poll(&wait, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            address += c;
        close(fds[0]);
        ASSERT_TRUE(daemon_->running());
        ASSERT_FALSE(address.empty());
        if (const char* old = std::getenv("DBUS_SYSTEM_BUS_ADDRESS"))
            previous_ = old;
        setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
    }

    void TearDown() override
    {
        mock_.reset();
        daemon_.reset();
        if (previous_)
            setenv("DBUS_SYSTEM_BUS_ADDRESS", previous_->c_str(), 1);
        else
            unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    // Starts the Avahi stand-in and waits until it answers.
    bool StartAvahiMock()
    {
        mock_ = std::make_unique<Child>(std::vector<std::string> { "/usr/bin/python3", "-m", "dbusmock", "--system",
            "-t", VESPERN_TEST_SOURCE_DIR "/platform/linux/dbus/avahi_mock.py" });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            AvahiDiscovery probe;
            std::string reason;
            if (probe.Available(reason))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    std::filesystem::path dir_;
    std::unique_ptr<Child> daemon_;
    std::unique_ptr<Child> mock_;
    std::optional<std::string> previous_;
};

TEST_F(PrivateSystemBus, WithoutAvahiTheBrowseSaysNoAtOnce)
{
    std::vector<std::string> errors;
    LinuxPlatform platform({}, [&](const std::string& line) { errors.push_back(line); });
    std::vector<std::string> titles;
    platform.SetComputerPicker(pickerChoosing("SERVER1", titles));
    std::string edit1 = "KEPT";
    ComputerBrowser browser(platform, edit1);
    std::string name = "stale";
    EXPECT_FALSE(browser.BrowseForComputer("Select Computer", name));
    EXPECT_EQ(name, "");
    browser.BitBtn5Click();
    EXPECT_EQ(edit1, "KEPT");
    EXPECT_TRUE(titles.empty());
    ASSERT_FALSE(errors.empty());
    EXPECT_NE(errors[0].find("Avahi"), std::string::npos) << errors[0];
}

TEST_F(PrivateSystemBus, AvahiAnnouncementsFillTheBrowser)
{
    ASSERT_TRUE(StartAvahiMock());
    LinuxPlatform platform({}, [](const std::string&) {});
    std::vector<std::string> shown;
    platform.SetComputerPicker([&](const std::string&, ComputerDiscovery& discovery) -> std::optional<std::string> {
        if (!discovery.Start([&](const std::string& name) { shown.push_back(name); }))
            return std::nullopt;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (discovery.Dispatch(); shown.size() < 2 && std::chrono::steady_clock::now() < deadline;
             discovery.Dispatch()) {
            pollfd wait { discovery.EventFd(), POLLIN, 0 };
            poll(&wait, 1, 100);
        }
        discovery.Stop();
        return shown.empty() ? std::nullopt : std::optional<std::string>(shown.front());
    });
    std::string edit1;
    ComputerBrowser browser(platform, edit1);
    browser.BitBtn5Click();
    EXPECT_EQ(shown, (std::vector<std::string> { "SERVER1", "ws-host" }));
    EXPECT_EQ(edit1, "\\\\SERVER1");
}

TEST_F(PrivateSystemBus, LosingTheBusEndsTheWaitForComputers)
{
    ASSERT_TRUE(StartAvahiMock());
    AvahiDiscovery discovery;
    ASSERT_TRUE(discovery.Start([](const std::string&) {}));
    discovery.Dispatch();
    ASSERT_GE(discovery.EventFd(), 0);
    daemon_.reset();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (discovery.EventFd() >= 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd wait { discovery.EventFd(), POLLIN, 0 };
        poll(&wait, 1, 100);
        discovery.Dispatch();
    }
    EXPECT_EQ(discovery.EventFd(), -1);
    discovery.Stop();
}

} // namespace
} // namespace vespern::test
