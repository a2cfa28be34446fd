#include "platform/Win32Constants.h"
#include "platform/linux/system/SystemInformationRecords.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <unistd.h>
#include <vector>

namespace vespern {
namespace {

std::int64_t read64(const std::vector<std::uint8_t>& record, std::size_t offset)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i)
        value |= static_cast<std::uint64_t>(record[offset + i]) << (8 * i);
    return static_cast<std::int64_t>(value);
}

class SystemInformationTree : public ::testing::Test {
protected:
    SystemInformationTree()
    {
        tree_.write("proc/stat",
            "cpu  4705 356 584 3699 23 0 12 0 0 0\ncpu0 1393280 32966 572056 13343292 6130 0 17875 0 0 0\n");
        tree_.write("sys/devices/system/cpu/online", "0-3,6\n");
    }
    std::int32_t query(std::uint32_t infoClass, std::vector<std::uint8_t>& record, std::uint32_t length)
    {
        return information_.Query(infoClass, record, length);
    }

    test::TempTree tree_;
    SystemInformationRecords information_ { tree_ / "proc", tree_ / "sys",
        [] { return std::int64_t { 0x0123456789ABCDEF }; } };
};

TEST_F(SystemInformationTree, RecordsHaveTheirSizesAndOtherLengthsAreRefused)
{
    const struct {
        std::uint32_t infoClass;
        std::uint32_t length;
        std::int32_t status;
    } cases[] = {
        { 0, 44, 0 },
        { 2, 312, 0 },
        { 3, 32, 0 },
        { 0, 43, SystemInformationRecords::statusInfoLengthMismatch },
        { 0, 48, SystemInformationRecords::statusInfoLengthMismatch },
        { 2, 0, SystemInformationRecords::statusInfoLengthMismatch },
        { 3, 312, SystemInformationRecords::statusInfoLengthMismatch },
        { 1, 44, SystemInformationRecords::statusInvalidInfoClass },
        { 8, 48, SystemInformationRecords::statusInvalidInfoClass },
    };
    for (const auto& row : cases) {
        std::vector<std::uint8_t> record(400, 0xAA);
        EXPECT_EQ(query(row.infoClass, record, row.length), row.status) << row.infoClass << " " << row.length;
        const auto untouched = std::count(record.begin() + (row.status == 0 ? row.length : 0), record.end(), 0xAA);
        EXPECT_EQ(untouched, 400 - (row.status == 0 ? row.length : 0)) << "nothing is written past the record";
    }
    std::vector<std::uint8_t> tooSmall(20);
    EXPECT_EQ(query(0, tooSmall, 44), SystemInformationRecords::statusInfoLengthMismatch);
}

TEST_F(SystemInformationTree, FieldsSitAtTheirOffsets)
{
    std::vector<std::uint8_t> basic(44, 0xAA);
    ASSERT_EQ(query(w32::SystemBasicInformation, basic, 44), 0);
    EXPECT_EQ(basic[40], 5);
    EXPECT_EQ(basic[0], 0) << "the rest of the record is cleared";

    std::vector<std::uint8_t> performance(312, 0xAA);
    ASSERT_EQ(query(w32::SystemPerformanceInformation, performance, 312), 0);
    const std::int64_t ticks = 3699 + 23; // idle and iowait
    EXPECT_EQ(read64(performance, 0), ticks * 10000000 / sysconf(_SC_CLK_TCK));

    std::vector<std::uint8_t> timeOfDay(32, 0xAA);
    ASSERT_EQ(query(w32::SystemTimeOfDayInformation, timeOfDay, 32), 0);
    EXPECT_EQ(read64(timeOfDay, 8), 0x0123456789ABCDEF);
    EXPECT_EQ(read64(timeOfDay, 0), 0);
}

TEST_F(SystemInformationTree, UnreadableSourcesFail)
{
    tree_.write("proc/stat", "intr 1 2 3\n");
    std::vector<std::uint8_t> performance(312);
    EXPECT_EQ(query(2, performance, 312), SystemInformationRecords::statusUnsuccessful);
    tree_.write("sys/devices/system/cpu/online", "garbage\n");
    std::vector<std::uint8_t> basic(44);
    EXPECT_EQ(query(0, basic, 44), SystemInformationRecords::statusUnsuccessful);
}

TEST(CpuList, CountsRangesAndSingles)
{
    EXPECT_EQ(CountCpuList("0\n"), 1u);
    EXPECT_EQ(CountCpuList("0-1"), 2u);
    EXPECT_EQ(CountCpuList("0-3,6,8-9\n"), 7u);
    EXPECT_EQ(CountCpuList(""), std::nullopt);
    EXPECT_EQ(CountCpuList("3-1"), std::nullopt);
    EXPECT_EQ(CountCpuList("0,,1"), std::nullopt);
    EXPECT_EQ(CountCpuList("0-x"), std::nullopt);
    EXPECT_EQ(CountCpuList("0-4294967295"), std::nullopt);
    EXPECT_EQ(CountCpuList("1-4294967295,7"), std::nullopt);
    EXPECT_EQ(CountCpuList("1-4294967294"), 4294967294u);
}

TEST(SystemInformationOnThisSystem, CountsFrom1601AndIdleTimeOnlyGrows)
{
    SystemInformationRecords information("/proc", "/sys");
    std::vector<std::uint8_t> timeOfDay(32);
    ASSERT_EQ(information.Query(3, timeOfDay, 32), 0);
    const auto unixUnits
        = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
              .count()
        * 10;
    EXPECT_NEAR(static_cast<double>(read64(timeOfDay, 8) - 116444736000000000), static_cast<double>(unixUnits), 1e7);

    std::vector<std::uint8_t> first(312);
    std::vector<std::uint8_t> second(312);
    ASSERT_EQ(information.Query(2, first, 312), 0);
    ASSERT_EQ(information.Query(2, second, 312), 0);
    EXPECT_GT(read64(first, 0), 0);
    EXPECT_GE(read64(second, 0), read64(first, 0));

    std::vector<std::uint8_t> basic(44);
    ASSERT_EQ(information.Query(0, basic, 44), 0);
    EXPECT_EQ(basic[40], static_cast<std::uint8_t>(sysconf(_SC_NPROCESSORS_ONLN)));
}

} // namespace
} // namespace vespern
