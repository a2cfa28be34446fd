#include "ui/qt/Unit2.h"

#include "QtEvents.h"
#include "support/OptionsHarness.h"

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

namespace vespern::test {

class ScriptedFileDialog final : public FileOpenDialog {
public:
    std::optional<std::string> Execute(const TOpenDialog& dialog) override
    {
        filters.push_back(dialog.Filter);
        return answer;
    }
    std::optional<std::string> answer;
    std::vector<std::string> filters;
};

struct OptionsWindow {
    OptionsWindow()
        : view(harness.form2, events, &mainWindow, &fileDialog)
    {
    }
    template <typename T> T* find(const char* name) { return view.findChild<T*>(QString::fromLatin1(name)); }

    OptionsHarness harness;
    QtEvents qt { harness.application };
    UiEvents& events = qt.events;
    QWidget mainWindow;
    ScriptedFileDialog fileDialog;
    ui::TForm2 view;
};

class Unit2Test : public QObject {
    Q_OBJECT
private slots:
    void controlsSitWhereTheLayoutSays()
    {
        OptionsWindow w;
        QCOMPARE(w.view.windowTitle(), QStringLiteral("Vespern Option"));
        QCOMPARE(w.view.size(), QSize(260, 193));
        const std::vector<std::pair<const char*, QRect>> places = {
            { "TabControl1", { 0, 0, 260, 161 } },
            { "Panel1", { 0, 160, 260, 33 } },
            { "BitBtn1", { 171, 4, 83, 25 } },
            { "BitBtn2", { 84, 4, 83, 25 } },
            { "Panel2", { 4, 24, 251, 131 } },
            { "Panel3", { 5, 25, 251, 131 } },
            { "CheckBox1", { 8, 67, 241, 17 } },
            { "CheckBox4", { 9, 107, 193, 17 } },
            { "GroupBox1", { 7, 33, 239, 92 } },
            { "Edit1", { 6, 36, 226, 21 } },
            { "BitBtn3", { 157, 61, 75, 25 } },
            { "GroupBox2", { 6, 6, 239, 120 } },
            { "turnoffmon_csut", { 118, 37, 105, 17 } },
            { "lock_scut", { 118, 69, 97, 17 } },
        };
        for (const auto& [name, rect] : places) {
            auto* widget = w.find<QWidget>(name);
            QVERIFY2(widget, name);
            // A check box grows where the face makes its caption longer than the layout allows.
            if (qobject_cast<QCheckBox*>(widget) != nullptr) {
                QCOMPARE(widget->pos(), rect.topLeft());
                QCOMPARE(widget->height(), rect.height());
                QVERIFY2(widget->width() >= rect.width(), name);
                QVERIFY2(widget->width() <= std::max(rect.width(), widget->sizeHint().width()), name);
            } else {
                QCOMPARE(widget->geometry(), rect);
            }
        }
        for (auto* widget : w.view.findChildren<QWidget*>()) {
            if (qobject_cast<QCheckBox*>(widget) || qobject_cast<QPushButton*>(widget)
                || qobject_cast<QLineEdit*>(widget) || qobject_cast<QGroupBox*>(widget))
                QVERIFY2(!QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).isEmpty(),
                    qPrintable(widget->objectName()));
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(&w.view)->role(), QAccessible::Dialog);
        QVERIFY(w.find<QLineEdit>("Edit1")->isReadOnly());
        QVERIFY(!w.find<QGroupBox>("GroupBox1")->isEnabled());
        QCOMPARE(w.find<QCheckBox>("empty")->nextInFocusChain(), w.find<QCheckBox>("startup"));
        QCOMPARE(w.find<QCheckBox>("startup")->nextInFocusChain(), w.find<QCheckBox>("ontop"));
    }

    void theSelectedTabIsKeptWhenClosedAndOpened()
    {
        OptionsWindow w;
        w.harness.form2.Show();
        w.events.RefreshAll();
        QVERIFY(w.view.isVisible());
        w.find<QTabBar>("TabControl1Tabs")->setCurrentIndex(1);
        QVERIFY(w.find<QWidget>("Panel3")->isVisible());
        QVERIFY(!w.find<QWidget>("Panel2")->isVisible());
        w.view.close();
        QVERIFY(!w.view.isVisible());
        QVERIFY(!w.harness.form2.Visible);
        w.harness.form2.Show();
        w.events.RefreshAll();
        QCOMPARE(w.find<QTabBar>("TabControl1Tabs")->currentIndex(), 1);
        QTest::mouseClick(w.find<QPushButton>("BitBtn2"), Qt::LeftButton);
        QVERIFY(!w.view.isVisible());
    }

    void runProgramEnablesTheGroupAndBrowseSetsThePath()
    {
        OptionsWindow w;
        w.harness.form2.Show();
        w.harness.form2.TabControl1.TabIndex = 1;
        w.harness.form2.TabControl1Change();
        w.events.RefreshAll();
        auto* runProgram = w.find<QCheckBox>("CheckBox3");
        QTest::mouseClick(runProgram, Qt::LeftButton, {}, QPoint(5, runProgram->height() / 2));
        QVERIFY(w.harness.form2.CheckBox3.Checked);
        QVERIFY(w.find<QGroupBox>("GroupBox1")->isEnabled());
        auto* browse = w.find<QPushButton>("BitBtn3");
        w.fileDialog.answer = "/usr/bin/backup";
        QTest::mouseClick(browse, Qt::LeftButton);
        QCOMPARE(w.find<QLineEdit>("Edit1")->text(), QStringLiteral("/usr/bin/backup"));
        w.fileDialog.answer.reset();
        QTest::mouseClick(browse, Qt::LeftButton);
        QCOMPARE(w.find<QLineEdit>("Edit1")->text(), QStringLiteral("/usr/bin/backup"));
        QCOMPARE(w.fileDialog.filters.front(), std::string("executable file (*.exe)|*.exe"));
        QTest::mouseClick(runProgram, Qt::LeftButton, {}, QPoint(5, runProgram->height() / 2));
        QVERIFY(!w.find<QGroupBox>("GroupBox1")->isEnabled());
        QCOMPARE(w.find<QLineEdit>("Edit1")->text(), QStringLiteral("/usr/bin/backup"));
    }

    void saveMakesTheMainWindowStayOnTop()
    {
        OptionsWindow w;
        w.harness.form2.Show();
        w.events.RefreshAll();
        w.find<QCheckBox>("ontop")->click();
        QTest::mouseClick(w.find<QPushButton>("BitBtn1"), Qt::LeftButton);
        QVERIFY(w.mainWindow.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!w.view.isVisible());
        QCOMPARE(w.harness.dialogs.shown.size(), std::size_t { 1 });
    }

    void itOpensCentredOnTheMainWindowAndEscapeCloses()
    {
        OptionsWindow w;
        w.mainWindow.setGeometry(300, 200, 259, 395);
        w.mainWindow.show();
        w.harness.form2.Show();
        w.events.RefreshAll();
        QVERIFY(QTest::qWaitForWindowActive(&w.view));
        // Within the rounding of two centres.
        QVERIFY((w.view.frameGeometry().center() - w.mainWindow.frameGeometry().center()).manhattanLength() <= 4);
        // Space on a box ticks it (the model follows the state); Enter presses no button by surprise.
        w.find<QCheckBox>("ontop")->setFocus();
        QTest::keyClick(w.find<QCheckBox>("ontop"), Qt::Key_Space);
        QVERIFY(w.harness.form2.ontop.Checked);
        QTest::keyClick(w.find<QCheckBox>("ontop"), Qt::Key_Return);
        QVERIFY(w.harness.dialogs.shown.empty());
        QVERIFY(w.view.isVisible());
        QTest::keyClick(&w.view, Qt::Key_Escape);
        QVERIFY(!w.view.isVisible());
        QVERIFY(!w.harness.form2.Visible);
    }

    void theShortcutBoxesFollowTheirStateHoweverItChanged()
    {
        OptionsWindow w;
        // The Toggle action of assistive technology: no click, the file is still written.
        w.find<QCheckBox>("shutdown_scut")->toggle();
        QVERIFY(w.harness.form2.shutdown_scut.Checked);
        w.find<QCheckBox>("CheckBox3")->toggle();
        QVERIFY(w.harness.form2.GroupBox1.Enabled);
        QVERIFY(w.find<QGroupBox>("GroupBox1")->isEnabled());
    }

    void theFilterAlsoOffersAllFiles()
    {
        QCOMPARE(ui::QtFileFilter("executable file (*.exe)|*.exe", false), QStringLiteral("executable file (*.exe)"));
        QCOMPARE(ui::QtFileFilter("executable file (*.exe)|*.exe", true),
            QStringLiteral("executable file (*.exe);;All files (*)"));
        QCOMPARE(ui::QtFileFilter("Text|*.txt;*.md", false), QStringLiteral("Text (*.txt *.md)"));
    }
};

} // namespace vespern::test

QTEST_MAIN(vespern::test::Unit2Test)
#include "Unit2Test.moc"
