#include "core/PanelStacks.h"

#include <gtest/gtest.h>

namespace vespern {
namespace {

TEST(PanelStacks, OnlyTheLastShownPanelOfAStackIsUncovered)
{
    TPanel first;
    TPanel second;
    TPanel third;
    TPanel alone;
    PanelStacks stacks;
    stacks.Add({ &first, &second, &third });

    struct Case {
        bool first, second, third;
        bool firstCovered, secondCovered, thirdCovered;
    };
    const Case cases[] = {
        { true, false, false, false, false, false },
        { true, true, false, true, false, false },
        { true, false, true, true, true, false },
        { false, true, true, true, true, false },
        { false, false, false, false, false, false },
    };
    for (const auto& c : cases) {
        first.Visible = c.first;
        second.Visible = c.second;
        third.Visible = c.third;
        EXPECT_EQ(stacks.Covered(first), c.firstCovered);
        EXPECT_EQ(stacks.Covered(second), c.secondCovered);
        EXPECT_EQ(stacks.Covered(third), c.thirdCovered);
    }
    alone.Visible = true;
    EXPECT_FALSE(stacks.Covered(alone)); // a panel of no stack is never covered
}

} // namespace
} // namespace vespern
