// The whole firing path through the windows: a one-minute countdown armed from the main window
// with confirmation on opens the confirmation dialog, whose countdown ends in the request.
// The monitor timers run on a fast clock (1 ms a tick): the core counts ticks, not seconds.

#include "core/TForm1Model.h"
#include "core/TForm4Model.h"
#include "core/TForm5Model.h"
#include "platform/dryrun/TracingPlatform.h"
#include "support/RecordingDialogs.h"
#include "support/ScriptedPlatform.h"
#include "ui/UiEvents.h"
#include "ui/Unit1.h"
#include "ui/Unit4.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace vespern::test {

class ArmedCountdownTest final : public QObject {
    Q_OBJECT

private slots:
    void aConfirmedCountdownOpensTheDialogAndEndsInTheRequest();
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
    ui::UiEvents events(application);
    ui::TForm1 window(form1, events);
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

} // namespace vespern::test

QTEST_MAIN(vespern::test::ArmedCountdownTest)
#include "ArmedCountdownTest.moc"
