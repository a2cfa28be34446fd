#include "core/CpuSampler.h"
#include "support/MonitorProgram.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

// A low-CPU arming with N, M and the samples that each tick reads.
struct LowCpu {
    explicit LowCpu(const std::string& threshold, const std::string& duration, std::uint8_t processors = 1)
    {
        program.form1.SpinEdit1.Text = threshold;
        program.form1.Edit2.Text = duration;
        program.queueBasic(processors);
    }
    // One tick over a sample with the given load on one processor (the system clock moves 1 s).
    void tickAt(double load)
    {
        clock += 1.0;
        idle += (100.0 - load) / 100.0;
        program.queueSample(clock, idle);
        program.tick();
    }
    MonitorProgram program;
    double clock = 1000.0;
    double idle = 500.0;
};

TEST(CpuSampler, TheWorkedExampleWithTwoProcessorsShows25Point5)
{
    for (const std::string separator : { ".", "," }) {
        LowCpu cpu("1", "1", 2);
        cpu.program.script().decimalSeparator = separator;
        cpu.program.arm(EventKind::LowCpuUsage);
        cpu.program.queueSample(1000.0, 500.0);
        cpu.program.queueSample(1001.0, 501.5);
        cpu.program.ticks(2);
        EXPECT_EQ(cpu.program.form1.cpuusagedt.Text, "25" + separator + "5");
        EXPECT_EQ(cpu.program.form1.cpuusage.Caption, "25" + separator + "5 %");
        EXPECT_EQ(cpu.program.form1.cputime.Caption, "0"); // above N = 1
        EXPECT_TRUE(cpu.program.actions().empty());
    }
}

TEST(CpuSampler, TheFirstSampleOfAnArmingOnlySetsTheBaseline)
{
    LowCpu cpu("50", "1");
    cpu.program.arm(EventKind::LowCpuUsage);
    EXPECT_EQ(cpu.program.form1.cpuusagedt.Text, "0"); // the initial text never counts
    cpu.tickAt(0);
    EXPECT_TRUE(cpu.program.actions().empty());
    EXPECT_EQ(cpu.program.form1.cpuusage.Caption, "0 %");
    cpu.tickAt(10); // 10 + 0.5
    EXPECT_EQ(cpu.program.form1.cpuusage.Caption, "10.5 %");
    EXPECT_EQ(cpu.program.actions(), std::vector<std::string> { shutdownRequest });
}

TEST(CpuSampler, SecondsCountConsecutiveLoadsAtOrBelowNAndALoadAboveStartsAgain)
{
    LowCpu cpu("50", "3");
    cpu.program.arm(EventKind::LowCpuUsage);
    cpu.tickAt(0);
    // A real machine's load never shows the same value twice in a row; only a load above N counts against it.
    const std::vector<std::pair<double, std::string>> steps
        = { { 20, "1" }, { 35, "2" }, { 60, "0" }, { 10, "1" }, { 49.5, "2" }, { 3.2, "3" } };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_TRUE(cpu.program.actions().empty()) << i;
        cpu.tickAt(steps[i].first);
        EXPECT_EQ(cpu.program.form1.cputime.Caption, steps[i].second) << i;
    }
    EXPECT_EQ(cpu.program.form1.cpuusage.Caption, "3.7 %");
    EXPECT_EQ(cpu.program.actions(), std::vector<std::string> { shutdownRequest });
}

TEST(CpuSampler, ALoadEqualToTheThresholdMeetsItAndAHigherOneDoesNot)
{
    for (const auto& [load, fires] : std::vector<std::pair<double, bool>> { { 19.5, true }, { 19.6, false } }) {
        LowCpu cpu("20", "1");
        cpu.program.arm(EventKind::LowCpuUsage);
        cpu.tickAt(0);
        cpu.tickAt(load);
        EXPECT_EQ(cpu.program.actions().size(), fires ? 1u : 0u) << load;
    }
}

TEST(CpuSampler, ValuesOfAnEarlierArmingNeverCount)
{
    LowCpu cpu("50", "2");
    cpu.program.arm(EventKind::LowCpuUsage);
    cpu.tickAt(0);
    cpu.tickAt(10);
    cpu.program.form1.BitBtn4Click(); // disarm during sampling
    cpu.program.form1.Timer1Timer(); // a tick already on its way takes no sample
    EXPECT_EQ(cpu.program.form1.cputime.Caption, "1");
    EXPECT_TRUE(cpu.program.actions().empty());

    // Re-armed an hour later: the carried-over values show until the first new load.
    cpu.clock += 3600;
    cpu.idle += 3600;
    cpu.program.queueBasic(1);
    cpu.program.arm(EventKind::LowCpuUsage);
    EXPECT_EQ(cpu.program.form1.cpuusage.Caption, "10.5 %");
    cpu.tickAt(10); // baseline: the gap since the last arming is not measured
    EXPECT_EQ(cpu.program.form1.cputime.Caption, "1");
    cpu.tickAt(10); // the same text, but the first load of this arming
    EXPECT_EQ(cpu.program.form1.cputime.Caption, "1");
    EXPECT_TRUE(cpu.program.actions().empty());
    cpu.tickAt(10);
    EXPECT_EQ(cpu.program.actions(), std::vector<std::string> { shutdownRequest });
}

TEST(CpuSampler, AFailedQueryEndsTheRunQuietlyAndTheNextTickStartsAgain)
{
    LowCpu cpu("50", "1");
    cpu.program.arm(EventKind::LowCpuUsage);
    cpu.tickAt(0);
    cpu.program.tick(); // no records queued: the time query fails
    EXPECT_TRUE(cpu.program.dialogs.shown.empty());
    EXPECT_TRUE(cpu.program.armed());
    cpu.program.queueBasic(1);
    cpu.tickAt(10);
    EXPECT_EQ(cpu.program.actions(), std::vector<std::string> { shutdownRequest });
    const auto basicQueries = cpu.program.recorder.callsTo({ "NtQuerySystemInformation" });
    EXPECT_EQ(std::count(basicQueries.begin(), basicQueries.end(),
                  "NtQuerySystemInformation SystemInformationClass=0 SystemInformationLength=44 ReturnLength=NULL"),
        2);
}

TEST(CpuSampler, AFailedBasicQueryTakesNoSample)
{
    MonitorProgram program;
    program.arm(EventKind::LowCpuUsage);
    program.queueSample(1, 1);
    program.tick();
    EXPECT_EQ(program.recorder.callsTo({ "NtQuerySystemInformation" }).size(), 1u);
    EXPECT_TRUE(program.armed());
}

TEST(CpuSampler, ThresholdOrDurationTextThatIsNotANumberIsReportedOnceAndDisarms)
{
    for (const auto& [threshold, duration, message] : std::vector<std::tuple<std::string, std::string, std::string>> {
             { "", "1", "'' is not a valid floating point value." },
             { "50", "x", "'x' is not a valid integer value." } }) {
        LowCpu cpu(threshold, duration);
        cpu.program.arm(EventKind::LowCpuUsage);
        cpu.tickAt(0);
        cpu.tickAt(10);
        cpu.tickAt(10);
        EXPECT_EQ(cpu.program.messages(), std::vector<std::string> { message });
        EXPECT_FALSE(cpu.program.armed());
    }
}

TEST(CpuSampler, WithConfirmTheDialogOpensOnceAndComesToTheFrontWhileTheLoadStaysLow)
{
    LowCpu cpu("50", "1");
    cpu.program.form1.CheckBox2.Checked = true;
    cpu.program.arm(EventKind::LowCpuUsage);
    cpu.tickAt(0);
    cpu.tickAt(10);
    cpu.tickAt(10);
    cpu.tickAt(10);
    EXPECT_TRUE(cpu.program.form4.Visible);
    EXPECT_EQ(cpu.program.form4.FrontRequests, 2U);
}

TEST(CpuSampler, LargeIntegerConversionTakesTheHighHalfSigned)
{
    EXPECT_EQ(LargeIntegerToDouble(0x00000001'FFFFFFFF), 4294967296.0 + 4294967295.0);
    EXPECT_EQ(LargeIntegerToDouble(-1), -4294967296.0 + 4294967295.0);
    EXPECT_EQ(LargeIntegerToDouble(123456789012345), 123456789012345.0);
}

} // namespace
} // namespace vespern::test
