#include "ui/qt/Unit4.h"
#include "QtEvents.h"
#include "core/WindowSystem.h"
#include "support/MonitorProgram.h"
#include "ui/qt/components/CountdownBar.h"

#include <QAccessible>
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace vespern::test {

class Unit4Test final : public QObject {
    Q_OBJECT

private slots:
    void widgetsCarryTheControlNamesAndSizes()
    {
        MonitorProgram program;
        QtEvents qt(program.application);
        UiEvents& events = qt.events;
        MirrorFormTimers(events, program.form1, program.form4);
        ui::TForm4 form4(program.form4, events, nullptr);
        QCOMPARE(form4.windowTitle(), QStringLiteral("Message"));
        QCOMPARE(form4.size(), QSize(285, 202));
        auto* memo = form4.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
        QVERIFY(memo != nullptr);
        QCOMPARE(memo->size(), QSize(273, 129));
        QCOMPARE(memo->toPlainText(), QStringLiteral("Are you sure ?"));
        // The red bar over the black track, read as a progress indicator of the seconds left.
        auto* bar = form4.findChild<ui::CountdownBar*>(QStringLiteral("Panel15"));
        QVERIFY(bar != nullptr);
        QCOMPARE(bar->geometry(), QRect(11, 5, 260, 7));
        QCOMPARE(bar->BarWidth(), 260);
        QAccessibleInterface* progress = QAccessible::queryAccessibleInterface(bar);
        QCOMPARE(progress->role(), QAccessible::ProgressBar);
        QCOMPARE(progress->valueInterface()->currentValue().toInt(), 10);
        QCOMPARE(progress->text(QAccessible::Description), QStringLiteral("10 seconds left"));
        QCOMPARE(QAccessible::queryAccessibleInterface(&form4)->role(), QAccessible::AlertMessage);
        const std::pair<const char*, const char*> buttons[] = { { "BitBtn2", "Cancel" }, { "BitBtn1", "Execute Now" } };
        for (const auto& [name, caption] : buttons) {
            auto* control = form4.findChild<QPushButton*>(QString::fromLatin1(name));
            QVERIFY2(control != nullptr, name);
            QCOMPARE(control->text(), QString::fromLatin1(caption));
            QCOMPARE(control->size(), QSize(81, 25));
        }
        for (const char* name : { "TForm4.Timer1", "TForm4.Timer2" }) {
            auto* timer = qt.timer(name);
            QVERIFY2(timer != nullptr, name);
            QVERIFY(!timer->isActive());
        }
    }

    void aTickShrinksTheBarAndCancelHidesTheDialog()
    {
        MonitorProgram program;
        program.chooseAction(0);
        QtEvents qt(program.application);
        UiEvents& events = qt.events;
        MirrorFormTimers(events, program.form1, program.form4);
        ui::TForm4 form4(program.form4, events, nullptr);
        events.Handle([&] { program.form4.ShowCountdown(TargetMode::LocalComputer); });
        QVERIFY(form4.isVisible());
        auto* timer1 = qt.timer("TForm4.Timer1");
        QVERIFY(timer1->isActive());
        QCOMPARE(timer1->interval(), 1000);
        QCOMPARE(form4.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText(),
            QStringLiteral(" Are you sure wan to Shutdown ?"));

        // What the user types neither changes the question nor is thrown away at the next tick.
        auto* memo = form4.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
        memo->setFocus();
        QTest::keyClicks(memo, QStringLiteral("typed"));
        QCOMPARE(memo->toPlainText(), QStringLiteral(" Are you sure wan to Shutdown ?"));

        QVERIFY(QMetaObject::invokeMethod(timer1, "timeout"));
        auto* bar = form4.findChild<ui::CountdownBar*>(QStringLiteral("Panel15"));
        QCOMPARE(bar->BarWidth(), 234);
        QCOMPARE(bar->value(), 9);
        QCOMPARE(bar->accessibleDescription(), QStringLiteral("9 seconds left"));

        QTest::mouseClick(form4.findChild<QPushButton*>(QStringLiteral("BitBtn2")), Qt::LeftButton);
        QVERIFY(!form4.isVisible());
        QVERIFY(!timer1->isActive());
        QVERIFY(program.actions().empty());
    }

    void itOpensOnCancelAndEscapeCancels()
    {
        MonitorProgram program;
        program.chooseAction(0);
        QtEvents qt(program.application);
        UiEvents& events = qt.events;
        MirrorFormTimers(events, program.form1, program.form4);
        ui::TForm4 form4(program.form4, events, nullptr);
        events.Handle([&] { program.form4.ShowCountdown(TargetMode::LocalComputer); });
        QVERIFY(QTest::qWaitForWindowActive(&form4));
        auto* cancel = form4.findChild<QPushButton*>(QStringLiteral("BitBtn2"));
        QCOMPARE(QApplication::focusWidget(), cancel);
        // The alert carries the question for the reader that announces it.
        QCOMPARE(form4.accessibleDescription(), QStringLiteral(" Are you sure wan to Shutdown ?"));
        QTest::keyClick(&form4, Qt::Key_Escape);
        QVERIFY(!form4.isVisible());
        QVERIFY(!program.form4.Timer1.Enabled);
        QVERIFY(program.actions().empty());
    }

    void theTitleBarCloseHidesAndTheCountdownGoesOn()
    {
        MonitorProgram program;
        QtEvents qt(program.application);
        UiEvents& events = qt.events;
        MirrorFormTimers(events, program.form1, program.form4);
        ui::TForm4 form4(program.form4, events, nullptr);
        events.Handle([&] { program.form4.ShowCountdown(TargetMode::NetworkComputer); });
        form4.close();
        QVERIFY(!program.form4.Visible);
        QVERIFY(qt.timer("TForm4.Timer2")->isActive());
    }
};

} // namespace vespern::test

QTEST_MAIN(vespern::test::Unit4Test)
#include "Unit4Test.moc"
