#include "core/TForm5Model.h"
#include "core/WindowSystem.h"
#include "support/MonitorProgram.h"
#include "support/RecordingTrayShell.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vespern::test {

namespace {

// A window system that writes down what the core asks of it; its timers tick when told to.
class RecordingWindowSystem final : public WindowSystem {
public:
    struct Timer final : ViewTimer {
        Timer(RecordingWindowSystem& owner, std::string name, std::function<void()> tick)
            : owner(owner)
            , name(std::move(name))
            , tick(std::move(tick))
        {
        }
        void Start(int interval) override { owner.log.push_back(name + " start " + std::to_string(interval)); }
        void Stop() override { owner.log.push_back(name + " stop"); }
        RecordingWindowSystem& owner;
        std::string name;
        std::function<void()> tick;
    };

    std::unique_ptr<ViewTimer> CreateTimer(const std::string& name, std::function<void()> tick) override
    {
        auto timer = std::make_unique<Timer>(*this, name, std::move(tick));
        timers.push_back(timer.get());
        return timer;
    }
    void EndMessageLoop() override { log.emplace_back("end loop"); }
    // Whether the main window is to show tells whether its creation handler ran yet.
    static std::string created(const char* form, const Forms& forms)
    {
        return std::string(form) + (forms.application.ShowMainForm ? " (show)" : " (hidden)");
    }
    void CreateForm1(const Forms& forms, UiEvents&) override { log.push_back(created("TForm1", forms)); }
    void CreateForm2(const Forms& forms, UiEvents&) override { log.push_back(created("TForm2", forms)); }
    void CreateForm4(const Forms& forms, UiEvents&) override { log.push_back(created("TForm4", forms)); }
    void CreateForm5(const Forms& forms, UiEvents&) override { log.push_back(created("TForm5", forms)); }
    void ShowMainForm() override { log.emplace_back("show main window"); }
    int RunMessageLoop() override
    {
        log.emplace_back("loop");
        return 7;
    }
    void DestroyForms() override { log.emplace_back("destroy"); }

    std::vector<std::string> log;
    std::vector<Timer*> timers;
};

struct Program : MonitorProgram {
    TForm5Model form5;
    Forms forms { application, form1, form2, form4, form5 };
};

} // namespace

TEST(RunProgram, CreatesTheWindowsInOrderAndShowsTheMainWindowOnlyWithAnArgument)
{
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        { "resident", {},
            { "TForm1 (show)", "TForm2 (hidden)", "TForm4 (hidden)", "TForm5 (hidden)", "loop", "destroy" } },
        { "one-shot", { "SHUTDOWN.link" },
            { "TForm1 (show)", "TForm2 (show)", "TForm4 (show)", "TForm5 (show)", "show main window", "loop",
                "destroy" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPlatform recorder;
        RecordingDialogs dialogs;
        TApplication application(dialogs);
        TForm2Model form2(recorder.platform(), application);
        TForm1Model form1(recorder.platform(), application, form2, c.arguments);
        TForm4Model form4(form1);
        TForm5Model form5;
        RecordingTrayShell tray;
        form1.TrayIcon1.Attach(&tray);
        RecordingWindowSystem windows;
        EXPECT_EQ(RunProgram({ application, form1, form2, form4, form5 }, windows), 7);
        EXPECT_EQ(windows.log, c.log);
        EXPECT_EQ(windows.timers.size(), 4U);
    }
}

TEST(UiEvents, RealTimersFollowTheModelTimersAfterEachEvent)
{
    Program program;
    RecordingWindowSystem windows;
    UiEvents events(program.application, windows);
    MirrorFormTimers(events, program.form1, program.form4);
    ASSERT_EQ(windows.timers.size(), 4U);
    EXPECT_TRUE(windows.log.empty()) << "timers start stopped";

    struct Step {
        const char* name;
        std::function<void()> change;
        std::vector<std::string> log;
    };
    TTimer& timer1 = program.form1.Timer1;
    const Step steps[] = {
        { "enabled", [&] { timer1.Enabled = true; }, { "TForm1.Timer1 start 1000" } },
        { "unchanged", [] {}, {} },
        { "faster clock", [&] { timer1.Interval = 1; }, { "TForm1.Timer1 start 1" } },
        { "no interval", [&] { timer1.Interval = 0; }, { "TForm1.Timer1 stop" } },
        { "interval back", [&] { timer1.Interval = 1000; }, { "TForm1.Timer1 start 1000" } },
        { "disabled", [&] { timer1.Enabled = false; }, { "TForm1.Timer1 stop" } },
        { "dialog", [&] { program.form4.Timer2.Enabled = true; }, { "TForm4.Timer2 start 1000" } },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        windows.log.clear();
        events.Handle(step.change);
        EXPECT_EQ(windows.log, step.log);
    }
}

TEST(UiEvents, ATickRunsItsHandlerAsAnEventAndTheLoopEndsOnceAfterTerminate)
{
    Program program;
    RecordingWindowSystem windows;
    UiEvents events(program.application, windows);
    MirrorFormTimers(events, program.form1, program.form4);
    int refreshes = 0;
    events.AddView(&refreshes, [&] { ++refreshes; });

    program.form1.Timer.Text = "1";
    events.Handle([&] { program.arm(EventKind::Countdown); });
    windows.log.clear();
    refreshes = 0;
    for (int tick = 0; tick < 60; ++tick)
        windows.timers.front()->tick();
    EXPECT_EQ(refreshes, 60);
    EXPECT_EQ(program.actions(), std::vector<std::string> { shutdownRequest });
    EXPECT_EQ(windows.log, std::vector<std::string> { "TForm1.Timer1 stop" }) << "the fired event disarmed";

    windows.log.clear();
    events.Handle([&] { program.application.Terminate(); });
    events.Handle([] {});
    EXPECT_EQ(windows.log, std::vector<std::string> { "end loop" });
}

TEST(UiEvents, AViewThatGoesDuringARefreshIsNotCalledAgain)
{
    Program program;
    RecordingWindowSystem windows;
    UiEvents events(program.application, windows);
    std::vector<std::string> calls;
    int first = 0;
    int second = 0;
    events.AddView(&first, [&] {
        calls.emplace_back("first");
        events.RemoveView(&second);
    });
    events.AddView(&second, [&] { calls.emplace_back("second"); });
    events.RefreshAll();
    events.RefreshAll();
    EXPECT_EQ(calls, (std::vector<std::string> { "first", "first" }));
}

} // namespace vespern::test
