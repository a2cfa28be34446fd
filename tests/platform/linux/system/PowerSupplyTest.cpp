#include "platform/linux/system/PowerSupply.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vespern {
namespace {

class PowerSupplyTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = std::filesystem::temp_directory_path()
            / ("vespern-power-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    void supply(const std::string& name, const std::vector<std::pair<std::string, std::string>>& files)
    {
        std::filesystem::create_directories(root_ / name);
        for (const auto& [file, value] : files)
            std::ofstream(root_ / name / file) << value << "\n";
    }

    std::filesystem::path root_;
};

TEST_F(PowerSupplyTree, NoBatteryReportsTheUnknownCharge)
{
    supply("AC", { { "type", "Mains" }, { "online", "1" } });
    const auto status = ReadPowerSupplies(root_);
    EXPECT_EQ(status.BatteryLifePercent, 255);
    EXPECT_EQ(status.ACLineStatus, 1);
    EXPECT_EQ(ReadPowerSupplies(root_ / "missing").BatteryLifePercent, 255);
}

TEST_F(PowerSupplyTree, BatteriesAreWeightedByTheirEnergy)
{
    supply("BAT0", { { "type", "Battery" }, { "energy_now", "10000000" }, { "energy_full", "50000000" } });
    supply("BAT1", { { "type", "Battery" }, { "energy_now", "40000000" }, { "energy_full", "50000000" } });
    EXPECT_EQ(ReadPowerSupplies(root_).BatteryLifePercent, 50);
}

TEST_F(PowerSupplyTree, ChargeCountersAndCapacityServeWhenEnergyIsMissing)
{
    supply("BAT0", { { "type", "Battery" }, { "charge_now", "1500" }, { "charge_full", "2000" } });
    EXPECT_EQ(ReadPowerSupplies(root_).BatteryLifePercent, 75);
    std::filesystem::remove_all(root_ / "BAT0");
    supply("BAT0", { { "type", "Battery" }, { "capacity", "42" } });
    EXPECT_EQ(ReadPowerSupplies(root_).BatteryLifePercent, 42);
}

TEST_F(PowerSupplyTree, AnAbsentBatteryOrUnreadableValuesDoNotCount)
{
    supply("BAT0", { { "type", "Battery" }, { "present", "0" }, { "capacity", "42" } });
    supply("BAT1", { { "type", "Battery" }, { "capacity", "garbage" } });
    EXPECT_EQ(ReadPowerSupplies(root_).BatteryLifePercent, 255);
}

// "inf" or "nan" would otherwise make the weighted charge no number at all.
TEST_F(PowerSupplyTree, AValueThatIsNoFiniteNumberIsNoReading)
{
    for (const char* text : { "inf", "-inf", "nan", "NAN(1)", "1e999", "", "x1" })
        EXPECT_EQ(ParseSupplyNumber(text), std::nullopt) << text;
    EXPECT_EQ(ParseSupplyNumber("41960000"), 41960000.0);
    supply("BAT0", { { "type", "Battery" }, { "energy_now", "inf" }, { "energy_full", "100" }, { "capacity", "30" } });
    EXPECT_EQ(ReadPowerSupplies(root_).BatteryLifePercent, 30);
}

} // namespace
} // namespace vespern
