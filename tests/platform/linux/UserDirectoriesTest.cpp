#include "platform/linux/UserDirectories.h"
#include "platform/linux/power/RemoteShutdown.h"
#include "platform/linux/registry/RegistryStore.h"
#include "support/TempUserDirs.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace vespern::test {
namespace {

TEST(UserDirectories, OnlyAbsolutePathsCountAndTheAccountsHomeStandsInForHome)
{
    const std::filesystem::path account = ::getpwuid(::geteuid())->pw_dir;
    struct Case {
        const char *home, *config, *data, *runtime;
        std::filesystem::path wantHome, wantConfig, wantData, wantRuntime;
    };
    const Case cases[] = {
        { "/home/alice", "/etc/alice", "/srv/alice", "/run/user/1000", "/home/alice", "/etc/alice", "/srv/alice",
            "/run/user/1000" },
        { "/home/alice", "", "", "", "/home/alice", "/home/alice/.config", "/home/alice/.local/share", "" },
        { "/home/alice", "relative/config", "relative/data", "run", "/home/alice", "/home/alice/.config",
            "/home/alice/.local/share", "" },
        { "", "", "", "", account, account / ".config", account / ".local/share", "" },
        { "alice", "/etc/alice", "", "", account, "/etc/alice", account / ".local/share", "" },
    };
    TempUserDirs dirs;
    for (const auto& c : cases) {
        dirs.set("HOME", c.home);
        dirs.set("XDG_CONFIG_HOME", c.config);
        dirs.set("XDG_DATA_HOME", c.data);
        dirs.set("XDG_RUNTIME_DIR", c.runtime);
        const auto found = UserDirectories::FromEnvironment();
        EXPECT_EQ(found.home, c.wantHome) << c.home;
        EXPECT_EQ(found.configHome, c.wantConfig) << c.home << " " << c.config;
        EXPECT_EQ(found.dataHome, c.wantData) << c.home << " " << c.data;
        EXPECT_EQ(found.runtimeDir, c.wantRuntime) << c.runtime;
        // The options and the remote credentials are looked for in the same place.
        EXPECT_EQ(RegistryPaths::FromEnvironment().configHome, c.wantConfig);
        EXPECT_EQ(RemoteAuthFilePath(), c.wantConfig / "vespern" / "remote.auth");
    }
}

} // namespace
} // namespace vespern::test
