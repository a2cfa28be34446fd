// One local monitor tick of each event that does not fire, over the recording platform (which
// also formats and stores one line per system call).

#include "support/MonitorProgram.h"

#include <benchmark/benchmark.h>

namespace vespern::test {
namespace {

void armForBenchmark(MonitorProgram& program, EventKind event)
{
    program.form1.Timer.Text = "1000000000";
    program.form1.DateTimePickerEx1.DateTime = 46000.0 + 3.0 / 24.0;
    program.form1.SpinEdit1.Text = "1";
    program.form1.SpinEdit2.Text = "1";
    std::vector<std::string> names;
    for (int i = 0; i < 100; ++i)
        names.push_back("process" + std::to_string(i) + ".exe");
    program.runningProcesses(names);
    program.form1.proccesscombo.Text = names.back();
    program.queueBasic(2);
    program.arm(event);
    program.form1.proccesscombo.Text = names.back();
    program.form1.BitBtn2Click();
}

void BM_Tick(benchmark::State& state)
{
    const auto event = static_cast<EventKind>(state.range(0));
    MonitorProgram program;
    armForBenchmark(program, event);
    double clock = 1000.0;
    double idle = 500.0;
    for (auto _ : state) {
        if (event == EventKind::LowCpuUsage) {
            clock += 1.0;
            idle += 1.0; // half of two processors idle: 50.5 %, above the threshold
            program.queueSample(clock, idle);
        }
        program.form1.Timer1Timer();
        program.recorder.calls.clear();
    }
    if (!program.armed() || !program.actions().empty())
        state.SkipWithError("the event fired during the benchmark");
}

BENCHMARK(BM_Tick)
    ->ArgName("event")
    ->Arg(static_cast<int>(EventKind::Countdown))
    ->Arg(static_cast<int>(EventKind::OnTime))
    ->Arg(static_cast<int>(EventKind::OnProcessStops))
    ->Arg(static_cast<int>(EventKind::LowCpuUsage))
    ->Arg(static_cast<int>(EventKind::BatteryLow));

} // namespace
} // namespace vespern::test

BENCHMARK_MAIN();
