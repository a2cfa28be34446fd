#include "core/TTrayIcon.h"
#include "support/RecordingTrayShell.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

TEST(TTrayIcon, TooltipIsTheHintCutTo127CharactersAndNoneWhenHidden)
{
    RecordingTrayShell shell;
    TTrayIcon icon;
    icon.Attach(&shell);
    icon.SetHint("Vespern");
    icon.SetIconVisible(true);
    EXPECT_TRUE(shell.iconVisible);
    EXPECT_EQ(shell.tooltip, "Vespern");
    icon.SetHint(std::string(130, 'h'));
    EXPECT_EQ(shell.tooltip, std::string(127, 'h'));
    icon.SetShowHint(false);
    EXPECT_EQ(shell.tooltip, "");
    icon.SetShowHint(true);
    icon.SetHint("");
    EXPECT_EQ(shell.tooltip, "");
    icon.SetIconVisible(false);
    EXPECT_FALSE(shell.iconVisible);
}

TEST(TTrayIcon, BalloonsAreCutAndReplaceTheOneShowing)
{
    RecordingTrayShell shell;
    TTrayIcon icon;
    icon.Attach(&shell);
    icon.ShowBalloon(std::string(70, 't'), std::string(300, 'x'), BalloonIconKind::Warning, 10);
    ASSERT_EQ(shell.balloons.size(), 1u);
    EXPECT_EQ(
        shell.balloons[0], (Balloon { std::string(63, 't'), std::string(255, 'x'), BalloonIconKind::Warning, 10000 }));
    const int hidesBefore = shell.hides;
    icon.ShowBalloon("Second", "text", BalloonIconKind::Info, 3);
    EXPECT_EQ(shell.hides, hidesBefore + 1);
    EXPECT_EQ(shell.balloons.back(), (Balloon { "Second", "text", BalloonIconKind::Info, 3000 }));
    icon.HideBalloon();
    EXPECT_FALSE(shell.balloonShowing);
}

TEST(TTrayIcon, WithoutANotificationAreaNothingIsShown)
{
    TTrayIcon icon;
    EXPECT_FALSE(icon.ShowBalloon("t", "x", BalloonIconKind::Info, 10));
    EXPECT_FALSE(icon.AddTrayIcon());
    EXPECT_TRUE(icon.IconVisible());
}

} // namespace
} // namespace vespern::test
