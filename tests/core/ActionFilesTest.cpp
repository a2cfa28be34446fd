#include "core/ActionFiles.h"

#include <gtest/gtest.h>

namespace vespern {
namespace {

TEST(ActionFiles, TheFirstArgumentsFileNameSelectsTheAction)
{
    const std::vector<std::pair<std::string, std::optional<ActionKind>>> cases = {
        { "/home/someone/Desktop/SHUTDOWN.link", ActionKind::Shutdown },
        { "C:\\Documents and Settings\\someone\\Desktop\\SHUTDOWN.link", ActionKind::Shutdown },
        { "SHUTDOWN.link", ActionKind::Shutdown },
        { "C:SHUTDOWN.link", ActionKind::Shutdown },
        { "/home/someone/Desktop/SWITCH USER.link", ActionKind::LockSwitchUser },
        { "REBOOT.link", ActionKind::Reboot },
        { "LOG OFF.link", ActionKind::LogOff },
        { "STANDBY.link", ActionKind::StandBy },
        { "HIBERNATE.link", ActionKind::Hibernate },
        { "HANG UP.link", ActionKind::HangUp },
        { "TURN OFF MONITOR.link", ActionKind::TurnOffMonitor },
        { "SHOW SCREENSAVER.link", ActionKind::ShowScreensaver },
        { "shutdown.link", std::nullopt },
        { "Shutdown.link", std::nullopt },
        { "SHUTDOWN.lnk", std::nullopt },
        { "SHUTDOWN.link ", std::nullopt },
        { "x", std::nullopt },
        { "", std::nullopt },
        { "/home/someone/Desktop/", std::nullopt },
    };
    for (const auto& [argument, expected] : cases)
        EXPECT_EQ(ActionForArgument(argument), expected) << argument;
}

TEST(ActionFiles, FileNamePartIsTheTextAfterTheLastSeparator)
{
    EXPECT_EQ(ExtractActionFileName("a\\b:c/d"), "d");
    EXPECT_EQ(ExtractActionFileName("a/b\\c"), "c");
    EXPECT_EQ(ExtractActionFileName("plain"), "plain");
    EXPECT_EQ(ExtractActionFileName("ends\\"), "");
}

} // namespace
} // namespace vespern
