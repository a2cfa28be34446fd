#include "core/TForm1Model.h"
#include "support/RecordingDialogs.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace vespern::test {
namespace {

struct Entry {
    std::string name;
    const void* model;
    int id;
};

template <typename Control> void add(std::vector<Entry>& out, const TNamed<Control>& named)
{
    out.push_back({ named.Name, &named.Model, named.Id });
}

// Every control of the mode's table, in the order of its fields.
std::vector<Entry> entries(const TForm1ModeControls& c)
{
    std::vector<Entry> out;
    add(out, c.Set);
    add(out, c.Computer);
    add(out, c.EventGroup);
    add(out, c.EventList);
    for (const auto& panel : c.Settings)
        add(out, panel);
    for (const auto& named : { c.Placeholder, c.Progress, c.Track, c.Bar })
        add(out, named);
    add(out, c.Minutes);
    add(out, c.Time);
    add(out, c.ProcessList);
    add(out, c.CpuPercent);
    add(out, c.CpuSeconds);
    add(out, c.BatteryPercent);
    add(out, c.ActionGroup);
    add(out, c.ActionList);
    for (const auto& panel : c.Displays)
        add(out, panel);
    for (const auto& label : { c.TimeLeft, c.MinutesLeft, c.Scheduled, c.NowText, c.ProcessName, c.CpuUsage, c.CpuTime,
             c.BatteryLife, c.BatteryPercentLeft })
        add(out, label);
    add(out, c.CpuSample);
    return out;
}

struct ModeControlsTest : ::testing::Test {
    RecordingPlatform recorder;
    RecordingDialogs dialogs;
    TApplication application { dialogs };
    TForm2Model form2 { recorder.platform(), application };
    TForm1Model form1 { recorder.platform(), application, form2, {} };
};

// A table entry that names one control and points at another, or two entries of one control,
// would arm, show or build the wrong control.
TEST_F(ModeControlsTest, EachEntryOfBothModesIsAControlOfItsOwn)
{
    std::set<std::string> names;
    std::set<const void*> models;
    std::set<int> ids;
    std::size_t count = 0;
    for (const auto mode : { TargetMode::LocalComputer, TargetMode::NetworkComputer }) {
        const auto table = form1.ModeControls(mode);
        EXPECT_EQ(table.Mode, mode);
        for (const auto& entry : entries(table)) {
            ++count;
            EXPECT_TRUE(names.insert(entry.name).second) << entry.name;
            EXPECT_TRUE(models.insert(entry.model).second) << entry.name;
            EXPECT_TRUE(ids.insert(entry.id).second) << entry.name;
        }
    }
    EXPECT_EQ(names.size(), count);
}

// The network computer's progress band carries the local names with an "x" at the end, the bar's
// black track aside.
TEST_F(ModeControlsTest, TheNetworkProgressControlsAreTheLocalOnesWithAnX)
{
    const auto local = form1.ModeControls(TargetMode::LocalComputer);
    const auto network = form1.ModeControls(TargetMode::NetworkComputer);
    const auto twins = [](const TForm1ModeControls& c) {
        std::vector<std::string> names { c.Progress.Name, c.Bar.Name, c.TimeLeft.Name, c.MinutesLeft.Name,
            c.Scheduled.Name, c.NowText.Name, c.ProcessName.Name, c.CpuUsage.Name, c.CpuTime.Name, c.CpuSample.Name,
            c.BatteryLife.Name, c.BatteryPercentLeft.Name };
        for (const auto& display : c.Displays)
            names.emplace_back(display.Name);
        return names;
    };
    const auto localNames = twins(local);
    const auto networkNames = twins(network);
    ASSERT_EQ(localNames.size(), networkNames.size());
    for (std::size_t i = 0; i < localNames.size(); ++i)
        EXPECT_EQ(networkNames[i], localNames[i] + "x");
    EXPECT_EQ(&local.Timer, &form1.Timer1);
    EXPECT_EQ(&network.Timer, &form1.Timer2);
}

TEST_F(ModeControlsTest, OnlyAChangedSelectionOfTheComputerRunsItsHandler)
{
    form1.SelectRadioGroup1Item(1);
    EXPECT_TRUE(form1.Panel5.Visible);
    EXPECT_FALSE(form1.Panel1.Visible);
    // The same item again changes nothing, not even what was changed meanwhile.
    form1.Panel1.Visible = true;
    form1.SelectRadioGroup1Item(1);
    EXPECT_TRUE(form1.Panel1.Visible);
    form1.SelectRadioGroup1Item(0);
    EXPECT_EQ(form1.RadioGroup1.ItemIndex, 0);
    EXPECT_FALSE(form1.Panel5.Visible);
}

} // namespace
} // namespace vespern::test
