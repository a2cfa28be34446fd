// The whole firing path through the windows: a one-minute countdown armed from the main window
// with confirmation on opens the confirmation dialog, whose countdown ends in the request.
// The monitor timers run on a fast clock (1 ms a tick): the core counts ticks, not seconds.

#include "QtEvents.h"
#include "core/TForm1Model.h"
#include "core/TForm4Model.h"
#include "core/TForm5Model.h"
#include "core/WindowSystem.h"
#include "platform/dryrun/TracingPlatform.h"
#include "support/MonitorProgram.h"
#include "support/RecordingDialogs.h"
#include "support/ScriptedPlatform.h"
#include "ui/qt/Unit1.h"
#include "ui/qt/Unit4.h"
#include "ui/qt/components/CountdownBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

namespace vespern::test {

namespace {

// Both windows over the recording platform, driven as a user drives them. The monitor timers tick
// every millisecond; message boxes run a nested loop for a while, as modal boxes do, so that the
// timers keep ticking while one is open.
struct Windows {
    Windows()
    {
        application.Title = "Vespern";
        dialogs.whileOpen = [this] {
            ++open;
            maxOpen = std::max(maxOpen, open);
            QEventLoop loop;
            QTimer::singleShot(40, &loop, &QEventLoop::quit);
            loop.exec();
            --open;
        };
        form1.Timer1.Interval = form1.Timer2.Interval = 1;
        MirrorFormTimers(events, form1, form4);
        events.Handle([this] { form1.FormCreate(); });
        window.show();
    }

    template <typename T = QWidget> T* find(const char* name)
    {
        auto* found = window.findChild<T*>(QLatin1String(name));
        if (found == nullptr)
            qWarning("no control named %s", name);
        return found;
    }
    // The dialog's controls share some names with the main window's.
    template <typename T = QWidget> T* inDialog(const char* name) { return dialog.findChild<T*>(QLatin1String(name)); }
    QTimer* windowTimer(const char* name) { return qt.timer((std::string("TForm1.") + name).c_str()); }
    QTimer* dialogTimer(const char* name) { return qt.timer((std::string("TForm4.") + name).c_str()); }
    void pick(const char* list, int index)
    {
        auto* widget = find<QComboBox>(list);
        widget->setCurrentIndex(index);
        emit widget->activated(index); // as a user's pick delivers it
    }
    void click(const char* name) { QTest::mouseClick(find(name), Qt::LeftButton); }
    void type(const char* name, const QString& text)
    {
        auto* widget = find(name);
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(widget, text);
    }
    std::vector<std::string> requests() const
    {
        return recorder.callsTo(
            { "ExitWindowsEx", "SetSystemPowerState", "LockWorkStation", "SendMessageA", "DefWindowProcA",
                "InternetAutodialHangup", "InitiateSystemShutdownA", "ShellExecuteA", "SHEmptyRecycleBinA" });
    }
    bool idle()
    {
        return find("BitBtn2")->isVisible() && !find("BitBtn4")->isVisible() && find("RadioGroup1")->isEnabled()
            && !windowTimer("Timer1")->isActive() && !windowTimer("Timer2")->isActive();
    }

    RecordingPlatform recorder;
    NestedLoopDialogs dialogs;
    int open = 0;
    int maxOpen = 0;
    TApplication application { dialogs };
    TForm2Model form2 { recorder.platform(), application };
    TForm1Model form1 { recorder.platform(), application, form2, {} };
    TForm4Model form4 { form1 };
    QtEvents qt { application };
    UiEvents& events = qt.events;
    ui::TForm1 window { form1, events };
    ui::TForm4 dialog { form4, events, &window };
};

const ShownMessage remoteFailure { "Vespern", "InitiateSystemShutdown failed.", MessageIcon::Error };

} // namespace

class ArmedCountdownTest final : public QObject {
    Q_OBJECT

private slots:
    void aConfirmedCountdownOpensTheDialogAndEndsInTheRequest();
    void nowInLocalModeWithNothingSelectedRunsNothing();
    void stopWhileArmedDisarmsAndNothingFires();
    void aFailedRemoteActionShowsOneErrorBoxAndStaysArmed();
    void aConditionThatStillHoldsNeverOpensASecondErrorBoxInsideTheFirst();
    void aFailedRemoteActionAtTheDialogsEndLeavesItOpenAndArmed();
    void cancellingTheDialogDisarmsWithoutTheAction();
};

void ArmedCountdownTest::aConfirmedCountdownOpensTheDialogAndEndsInTheRequest()
{
    ScriptedPlatform scripted;
    std::vector<std::string> printed;
    TracingPlatform dryRun(
        scripted, TracingPlatform::Mode::DryRun, [&](const std::string& line) { printed.push_back(line); });
    RecordingDialogs dialogs;
    TApplication application(dialogs);
    application.Title = "Vespern";
    TForm2Model form2(dryRun, application);
    TForm1Model form1(dryRun, application, form2, {});
    TForm4Model form4(form1);
    QtEvents qt(application);
    UiEvents& events = qt.events;
    MirrorFormTimers(events, form1, form4);
    ui::TForm1 window(form1, events);
    events.Handle([&] { form1.FormCreate(); });
    ui::TForm4 dialog(form4, events, &window);
    form1.Timer1.Interval = 1;
    form4.Timer1.Interval = 1;

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* events2 = window.findChild<QComboBox*>(QStringLiteral("ComboBox2"));
    auto* actions = window.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    QVERIFY(events2 != nullptr && actions != nullptr);
    events2->setCurrentIndex(0);
    emit events2->activated(0); // "Countdown", as a user's pick delivers it
    actions->setCurrentIndex(0);
    emit actions->activated(0); // "Shutdown"
    QTest::mouseClick(window.findChild<QCheckBox*>(QStringLiteral("CheckBox2")), Qt::LeftButton);
    QVERIFY(form1.CheckBox2.Checked);
    QVERIFY(form1.ShowMessage1.Checked);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("BitBtn2")), Qt::LeftButton);
    QVERIFY(form1.Timer1.Enabled);
    QVERIFY(form1.BitBtn4.Visible);

    // 60 ticks make the minute; then the dialog counts down its ten steps.
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isVisible(), 5000);
    QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText(),
        QStringLiteral(" Are you sure wan to Shutdown ?"));
    QCOMPARE(form1.timeleft.Caption, std::string("0 Minutes Remaining."));
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 5000);

    const auto requests
        = std::count(printed.begin(), printed.end(), std::string("ExitWindowsEx uFlags=1 dwReserved=0"));
    QCOMPARE(requests, 1);
    QVERIFY(!form1.Timer1.Enabled);
    QVERIFY(form1.BitBtn2.Visible);
    QVERIFY(!form1.BitBtn4.Visible);
    QVERIFY(!form1.Panelproggress.Visible);
    QVERIFY(dialogs.shown.empty());
}

void ArmedCountdownTest::nowInLocalModeWithNothingSelectedRunsNothing()
{
    Windows w;
    // The other mode's action does not count.
    w.click("RadioGroup1Item1");
    w.pick("ComboBox3", 0);
    w.click("RadioGroup1Item0");
    w.pick("ComboBox2", 0);
    w.click("BitBtn1");
    QVERIFY(w.requests().empty());
    QVERIFY(w.dialogs.shown.empty());
    QVERIFY(w.idle());
    QVERIFY(w.find("GroupBox1")->isEnabled());
}

void ArmedCountdownTest::stopWhileArmedDisarmsAndNothingFires()
{
    Windows w;
    w.pick("ComboBox2", 0);
    w.pick("ComboBox1", 1);
    w.type("Timer", QStringLiteral("3"));
    w.click("BitBtn2");
    QCOMPARE(w.form1.timeleft.Caption, std::string("3 Minutes Remaining."));
    QVERIFY(w.windowTimer("Timer1")->isActive());
    QVERIFY(w.find("Panelproggress")->isVisible());
    for (const char* name : { "RadioGroup1", "GroupBox1", "GroupBox2", "GroupBox3" })
        QVERIFY2(!w.find(name)->isEnabled(), name);

    w.click("BitBtn4");
    QVERIFY(w.idle());
    QVERIFY(!w.find("Panelproggress")->isVisible());
    for (const char* name : { "RadioGroup1Item1", "GroupBox1", "GroupBox2", "GroupBox3" })
        QVERIFY2(w.find(name)->isEnabled(), name);
    QTest::qWait(400); // longer than three minutes of the fast clock
    QVERIFY(w.requests().empty());
    QVERIFY(w.dialogs.shown.empty());
}

void ArmedCountdownTest::aFailedRemoteActionShowsOneErrorBoxAndStaysArmed()
{
    Windows w;
    w.recorder.script().initiateShutdownFails = true;
    w.click("RadioGroup1Item1");
    w.type("Edit1", QStringLiteral("CLIENT7"));
    w.pick("ComboBox4", 0);
    w.pick("ComboBox3", 1);
    w.click("BitBtn2");
    QTRY_COMPARE_WITH_TIMEOUT(w.dialogs.shown.size(), std::size_t { 1 }, 5000);
    QTest::qWait(300); // the countdown that reached 0 does not fire again
    QCOMPARE(w.dialogs.shown, std::vector<ShownMessage> { remoteFailure });
    const auto remote = w.recorder.callsTo({ "InitiateSystemShutdownA" });
    QCOMPARE(remote.size(), std::size_t { 1 });
    QVERIFY2(remote[0].find("lpMachineName=\"CLIENT7\"") != std::string::npos, remote[0].c_str());
    QVERIFY2(remote[0].find("bRebootAfterShutdown=-1") != std::string::npos, remote[0].c_str());
    QVERIFY(w.find("BitBtn4")->isVisible());
    QVERIFY(w.find("Panelproggressx")->isVisible());
    QVERIFY(w.windowTimer("Timer2")->isActive());
    QVERIFY(!w.find("RadioGroup1")->isEnabled());
}

void ArmedCountdownTest::aConditionThatStillHoldsNeverOpensASecondErrorBoxInsideTheFirst()
{
    Windows w;
    w.recorder.script().initiateShutdownFails = true;
    w.recorder.script().batteryLifePercent = 1; // at the threshold, which starts at 1
    w.click("RadioGroup1Item1");
    w.pick("ComboBox4", 4);
    w.pick("ComboBox3", 0);
    w.click("BitBtn2");
    QTRY_VERIFY_WITH_TIMEOUT(w.dialogs.shown.size() >= 3, 5000);
    QCOMPARE(w.maxOpen, 1);
    QCOMPARE(w.dialogs.shown.front(), remoteFailure);
    QVERIFY(w.find("BitBtn4")->isVisible());
    w.click("BitBtn4");
    QVERIFY(w.idle());
}

void ArmedCountdownTest::aFailedRemoteActionAtTheDialogsEndLeavesItOpenAndArmed()
{
    Windows w;
    w.form4.Timer2.Interval = 1;
    w.recorder.script().initiateShutdownFails = true;
    w.click("RadioGroup1Item1");
    w.pick("ComboBox4", 0);
    w.pick("ComboBox3", 0);
    QTest::mouseClick(w.find("CheckBox2"), Qt::LeftButton);
    w.click("BitBtn2");
    QTRY_COMPARE_WITH_TIMEOUT(w.dialogs.shown.size(), std::size_t { 1 }, 5000);
    QTest::qWait(200);
    QCOMPARE(w.dialogs.shown, std::vector<ShownMessage> { remoteFailure });
    QVERIFY(w.dialog.isVisible());
    QCOMPARE(w.inDialog<ui::CountdownBar>("Panel15")->BarWidth(), 0);
    QVERIFY(w.find("BitBtn4")->isVisible());
    QVERIFY(w.windowTimer("Timer2")->isActive());
    QCOMPARE(w.inDialog<QPlainTextEdit>("Memo1")->toPlainText(), QStringLiteral(" Are you sure wan to Shutdown ?"));
}

void ArmedCountdownTest::cancellingTheDialogDisarmsWithoutTheAction()
{
    Windows w;
    w.pick("ComboBox2", 0);
    w.pick("ComboBox1", 0);
    QTest::mouseClick(w.find("CheckBox2"), Qt::LeftButton);
    w.click("BitBtn2");
    QTRY_VERIFY_WITH_TIMEOUT(w.dialog.isVisible(), 5000);
    QVERIFY(w.dialogTimer("Timer1")->isActive());
    QVERIFY(!w.dialogTimer("Timer2")->isActive());
    QTest::mouseClick(w.inDialog("BitBtn2"), Qt::LeftButton); // "Cancel"
    QVERIFY(!w.dialog.isVisible());
    QVERIFY(!w.dialogTimer("Timer1")->isActive());
    QVERIFY(!w.dialogTimer("Timer2")->isActive());
    QVERIFY(w.idle());
    QVERIFY(!w.find("Panelproggress")->isVisible());
    QTest::qWait(200);
    QVERIFY(!w.dialog.isVisible());
    QVERIFY(w.requests().empty());
    QVERIFY(w.dialogs.shown.empty());
}

} // namespace vespern::test

QTEST_MAIN(vespern::test::ArmedCountdownTest)
#include "ArmedCountdownTest.moc"
