// The main window as the user meets it, under the offscreen platform.

#include "QtEvents.h"
#include "core/TForm5Model.h"
#include "support/MonitorProgram.h"
#include "support/RecordingDialogs.h"
#include "support/RecordingTrayShell.h"
#include "support/ScriptedPlatform.h"
#include "ui/qt/Unit1.h"
#include "ui/qt/Unit2.h"
#include "ui/qt/Unit5.h"
#include "ui/qt/components/DateTimePickerExUnit.h"
#include "ui/qt/components/JpegDecoder.h"
#include "ui/qt/components/LinkLabel.h"
#include "ui/qt/components/Panel.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>
#include <set>

using namespace vespern;
using namespace vespern::test;

namespace {

const Balloon forceWarning { "Warning",
    "Using this option force Vespern to shutdown windows without promting to save unsaved data.\r"
    "You will lose any unsaved data in any application that is running.",
    BalloonIconKind::Warning, 10000 };

// One program: the models, the main window with its options dialog and About box, and a
// recorder in place of the notification area.
struct Program {
    Program()
    {
        application.Title = "Vespern";
        events.Handle([this] { form1.FormCreate(); });
        form1.TrayIcon1.Attach(&tray);
        form1.SetAboutBox(form5);
    }

    template <typename T = QWidget> T* find(const char* name)
    {
        auto* found = window.findChild<T*>(QLatin1String(name));
        if (found == nullptr)
            qWarning("no control named %s", name);
        return found;
    }
    QAction* item(const char* name) { return window.findChild<QAction*>(QLatin1String(name)); }

    RecordingPlatform recorder;
    RecordingDialogs dialogs;
    TApplication application { dialogs };
    TForm2Model form2 { recorder.platform(), application };
    TForm1Model form1 { recorder.platform(), application, form2, {} };
    QtEvents qt { application };
    UiEvents& events = qt.events;
    ui::TForm1 window { form1, events };
    ui::TForm2 options { form2, events, &window };
    TForm5Model form5;
    ui::TForm5 about { form5, events, &window };
    RecordingTrayShell tray;
};

QString captionOf(QWidget* widget)
{
    if (auto* panel = qobject_cast<ui::Panel*>(widget))
        return panel->Caption();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return group->title();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* list = qobject_cast<QComboBox*>(widget))
        return list->currentText();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(widget))
        return spin->text();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    return {};
}

// What a screen reader hears as the control's name: its own, or for a list the label it is
// labelled by (Qt gives lists on Linux their current text as name).
QString spokenName(QAccessibleInterface* control)
{
    if (control->role() == QAccessible::ComboBox) {
        const auto labels = control->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
    }
    return control->text(QAccessible::Name).trimmed();
}

// Every object of the accessibility tree below the given one.
void collectTree(QAccessibleInterface* node, std::vector<QAccessibleInterface*>& into)
{
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        into.push_back(child);
        collectTree(child, into);
    }
}

double luminance(QColor colour)
{
    const auto channel = [](double value) {
        value /= 255.0;
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) + 0.0722 * channel(colour.blue());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

class TForm1Test final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void controlInventory_data();
    void controlInventory();
    void everyControlHasAnAccessibleName();
    void listsAndTrayMenuHoldTheirItems();
    void targetSwitchKeepsEachSetsChoices();
    void forcePairWarnsOncePerSwitchOnFromEitherSide();
    void confirmPairFollowsEitherSideWithoutBalloon();
    void linksGrowWhileThePointerIsOverThem();
    void optionAndAboutShowWithoutModalityAndComeToTheFront();
    void aProgressBandAddsFortyPixels();
    void minimisingWithoutNotificationAreaKeepsTheWindow();
    void everyShowFromHiddenReadsTheOptionsAgain();
    void onlyAChangedSelectionOfAnEventListSwitchesItsSettings();
    void aWindowRestoredAtOnceIsNotHiddenToTheTray();
    void pickerShowsTheLongTimeFormatAndReadsAWholeTypedTime();
    void controlsKeepTheModelWhateverChangedThem();
    void theTreeNamesEveryControlAndLeavesDecorationsOut();
    void linksTakeTheFocusAndOpenWithEnterOrSpace();
    void linksStandOutFromTheBanner();
    void captionsFitTheirControls();
    void uncheckedTrayItemsShowAnEmptyBox();
    void pickerFormatStringIsSentOnlyOnceTheControlExists();
    void bannerIsDecodedAndBadDataIsRefused();

private:
    std::unique_ptr<QTemporaryDir> home_;
    std::unique_ptr<Program> program_;
};

void TForm1Test::init()
{
    home_ = std::make_unique<QTemporaryDir>();
    for (const char* variable : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME" })
        qputenv(variable, home_->path().toLocal8Bit());
    program_ = std::make_unique<Program>();
}

void TForm1Test::cleanup()
{
    program_.reset();
    home_.reset();
}

void TForm1Test::controlInventory_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    const auto row = [](const char* name, const char* caption, const char* hint, bool shown = true, int minimum = 0,
                         int maximum = 0) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(caption) << QString::fromLatin1(hint)
                            << shown << minimum << maximum;
    };
    row("Label39", "Help", "Click to show help content");
    row("Label40", "About", "About Vespern");
    row("RadioGroup1", "Select Computer", "Select computer");
    row("RadioGroup1Item0", "Local Computer", "Select computer");
    row("RadioGroup1Item1", "Network Computer", "Select computer");
    row("Panel1", "", "");
    row("Panel5", "", "", false);
    row("GroupBox7", "Computer Name", "");
    row("Label3", "DESKTOP1", "Computer name");
    row("GroupBox2", "Event", "");
    row("ComboBox2", "Event Menu", "Select event menu");
    row("Timer", "1", "Set timer", true, 1, 10000);
    row("DateTimePickerEx1", "01:00:00", "Set timer");
    row("proccesscombo", "Select proccess", "Select process");
    row("SpinEdit1", "1", "Set CPU usage", true, 1, 100);
    row("Edit2", "1", "Set Idle time", true, 1, 60);
    row("SpinEdit2", "1", "Set battery life", true, 1, 100);
    row("Label30", "Event Setings", "");
    row("GroupBox1", "Action", "");
    row("ComboBox1", "Action Menu", "Select action menu");
    row("GroupBox6", "Client Computer(s) Name", "");
    row("Edit1", "", "Client Computer Name");
    row("BitBtn5", "Browse", "Browse for computer");
    row("GroupBox5", "Event", "");
    row("ComboBox4", "Event Menu", "Select event menu");
    row("timerx", "1", "Set timer", true, 1, 10000);
    row("DateTimePickerEx2", "01:00:00", "Set time");
    row("proccesscombox", "Select proccess", "Select process");
    row("SpinEdit5", "1", "CPU Usage", true, 1, 100);
    row("SpinEdit6", "1", "Set Idle time", true, 1, 60);
    row("SpinEdit4", "1", "Set battery life", true, 1, 100);
    row("Panel6", "Event Settings", "");
    row("GroupBox4", "Action", "");
    row("ComboBox3", "Action Menu", "Select action menu");
    row("GroupBox3", "Action Option", "");
    row("CheckBox1", "Force Action", "Force action for quick action");
    row("CheckBox2", "Show Confirm Before Execute Action", "Show confirm");
    row("BitBtn2", "Start", "Start action event");
    row("BitBtn4", "Stop", "Stop activated action", false);
    row("BitBtn1", "Now", "Execute action now");
    row("BitBtn3", "Option", "Vespern option");
    row("Panelproggressx", "", "", false);
    row("Panelproggress", "", "", false);
    for (const char* display : { "Panelcountdwn", "Panelontime", "Panelprocess", "Panelcpu", "Panelbattlife",
             "Panelcountdwnx", "Panelontimex", "Panelprocessx", "Panelcpux", "Panelbattlifex" })
        row(display, "", "", false);
    row("timeleft", "Label13", "");
    row("timelefth", "timelefth", "", false);
    row("timescedule", "Label13", "");
    row("timesceduleh", "Label13", "");
    row("processnow", "Time (Now) : ", "");
    row("cpuusage", "0 %", "");
    row("cputime", "0", "");
    row("cpuusagedt", "0", "", false);
    row("battlife", "0 %", "");
    row("battlifeh", "0 %", "", false);
    row("timeleftx", "Label13", "");
    row("timelefthx", "timelefth", "", false);
    row("cpuusagedtx", "0", "", false);
    row("battlifehx", "0 %", "", false);
}

void TForm1Test::controlInventory()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(bool, shown);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    auto* widget = program_->find(name.toLatin1().constData());
    QVERIFY(widget != nullptr);
    QCOMPARE(captionOf(widget), caption);
    QCOMPARE(widget->toolTip(), hint);
    QCOMPARE(!widget->isHidden(), shown);
    QVERIFY(widget->isEnabled());
    if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
        QCOMPARE(spin->minimum(), minimum);
        QCOMPARE(spin->maximum(), maximum);
    }
    if (auto* list = qobject_cast<QComboBox*>(widget)) {
        QVERIFY(list->isEditable());
        QCOMPARE(list->currentIndex(), -1);
    }
}

void TForm1Test::everyControlHasAnAccessibleName()
{
    for (auto* widget : program_->window.findChildren<QWidget*>()) {
        if (widget->window() != &program_->window || widget->isWindow() || widget->focusPolicy() == Qt::NoFocus
            || widget->objectName().startsWith(QLatin1String("qt_")) || qobject_cast<ui::Panel*>(widget) != nullptr
            || qobject_cast<QGroupBox*>(widget) != nullptr)
            continue;
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(widget);
        QVERIFY2(!spokenName(control).isEmpty(),
            qPrintable(widget->objectName() + QLatin1Char(' ') + QLatin1String(widget->metaObject()->className())));
    }
}

void TForm1Test::listsAndTrayMenuHoldTheirItems()
{
    const auto items = [this](const char* name) {
        QStringList shown;
        auto* list = program_->find<QComboBox>(name);
        for (int i = 0; i < list->count(); ++i)
            shown << list->itemText(i);
        return shown;
    };
    const QStringList events { "Countdown", "On Time", "On Process Stops", "Low CPU Usage", "Battery Low" };
    QCOMPARE(items("ComboBox2"), events);
    QCOMPARE(items("ComboBox4"), events);
    QCOMPARE(items("ComboBox1"),
        QStringList({ "Shutdown", "Reboot", "Log Off", "Sleep/Stand by", "Hibernate", "Lock/Switch User",
            "Hang Up Internet", "Turn Off Monitor", "Show Screensaver" }));
    QCOMPARE(items("ComboBox3"), QStringList({ "Shutdown", "Reboot" }));

    auto* menu = program_->window.findChild<QMenu*>(QStringLiteral("PopupMenu1"));
    QVERIFY(menu != nullptr);
    QStringList names;
    QStringList captions;
    for (auto* action : menu->actions()) {
        names << action->objectName();
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    QCOMPARE(names,
        QStringList({ "ExitVespern1", "Help1", "N2", "ShowWindows1", "N1", "Forced1", "ShowMessage1", "N3", "Shutdown1",
            "Reboot1", "LogOff1", "StandBy1", "Hibernate1", "HangUp1", "LockSwitchUser1", "urnMonitorOff1",
            "ShowScreensaver1" }));
    QCOMPARE(captions,
        QStringList({ "Exit Vespern", "Help", "-", "Show Windows", "-", "Forced Action", "Show Confirm before action",
            "-", "Shutdown", "Reboot", "Log Off", "Stand By", "Hibernate", "Hang Up Internet", "Lock/Switch User",
            "Turn Off Monitor", "Show Screensaver" }));
    QVERIFY(program_->item("Forced1")->isCheckable());
    QVERIFY(program_->item("ShowMessage1")->isCheckable());
    QVERIFY(!program_->item("Forced1")->isChecked());
    QCOMPARE(program_->item("Shutdown1")->icon().availableSizes().value(0), QSize(40, 38));
    QCOMPARE(program_->item("ExitVespern1")->icon().availableSizes().value(0), QSize(22, 20));
    QCOMPARE(program_->item("Help1")->icon().availableSizes().value(0), QSize(28, 27));

    // The action items run the action at once, whatever the confirm setting.
    program_->item("ShowMessage1")->trigger();
    program_->item("Reboot1")->trigger();
    QCOMPARE(program_->recorder.callsTo({ "ExitWindowsEx" }),
        std::vector<std::string> { "ExitWindowsEx uFlags=2 dwReserved=0" });
}

void TForm1Test::targetSwitchKeepsEachSetsChoices()
{
    auto& p = *program_;
    p.window.show();
    const int height = p.window.height();
    const auto pick = [&p](const char* name, int index) {
        auto* list = p.find<QComboBox>(name);
        list->setCurrentIndex(index);
        emit list->activated(index);
    };
    pick("ComboBox2", 2);
    pick("ComboBox1", 4);
    p.find<QCheckBox>("CheckBox2")->click();
    QTest::mouseClick(p.find<QRadioButton>("RadioGroup1Item1"), Qt::LeftButton);
    QVERIFY(!p.find("Panel1")->isVisible());
    QVERIFY(p.find("Panel5")->isVisible());
    pick("ComboBox4", 1);
    pick("ComboBox3", 1);
    QTest::keyClicks(p.find<QLineEdit>("Edit1"), QStringLiteral("CLIENT7"));
    QTest::mouseClick(p.find<QRadioButton>("RadioGroup1Item0"), Qt::LeftButton);
    QCOMPARE(p.form1.RadioGroup1.ItemIndex, 0);
    QVERIFY(p.find("Panel1")->isVisible());
    QVERIFY(!p.find("Panel5")->isVisible());
    QCOMPARE(p.find<QComboBox>("ComboBox2")->currentText(), QStringLiteral("On Process Stops"));
    QCOMPARE(p.form1.ComboBox2.ItemIndex, 2);
    QCOMPARE(p.form1.ComboBox1.ItemIndex, 4);
    QVERIFY(p.find<QCheckBox>("CheckBox2")->isChecked());
    QTest::mouseClick(p.find<QRadioButton>("RadioGroup1Item1"), Qt::LeftButton);
    QCOMPARE(p.find<QComboBox>("ComboBox4")->currentText(), QStringLiteral("On Time"));
    QCOMPARE(p.form1.ComboBox3.ItemIndex, 1);
    QCOMPARE(p.form1.Edit1.Text, std::string("CLIENT7"));
    QCOMPARE(p.window.height(), height);
}

void TForm1Test::forcePairWarnsOncePerSwitchOnFromEitherSide()
{
    auto& p = *program_;
    p.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));
    auto* box = p.find<QCheckBox>("CheckBox1");
    auto* item = p.item("Forced1");
    // On the box itself: a check box takes clicks on its mark and caption only.
    const std::function<void()> fromWindow = [box] { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, 10)); };
    const std::function<void()> fromTray = [item] { item->trigger(); };
    for (const auto& [side, click] : { std::pair { "window", fromWindow }, std::pair { "tray", fromTray } }) {
        int warnings = 0;
        // A structured binding is captured by name only from clang 16 on.
        const auto event = [&, &click = click] {
            const auto before = p.tray.balloons.size();
            click();
            if (p.tray.balloons.size() > before && p.tray.balloonShowing) {
                QCOMPARE(p.tray.balloons.back(), forceWarning);
                ++warnings;
            }
        };
        event();
        QVERIFY2(box->isChecked() && item->isChecked(), side);
        QCOMPARE(warnings, 1);
        event();
        QVERIFY2(!box->isChecked() && !item->isChecked(), side);
        QCOMPARE(warnings, 1);
        event();
        QCOMPARE(warnings, 2);
        event();
    }
    QVERIFY(p.dialogs.shown.empty());
}

void TForm1Test::confirmPairFollowsEitherSideWithoutBalloon()
{
    auto& p = *program_;
    p.window.show();
    p.item("ShowMessage1")->trigger();
    QVERIFY(p.find<QCheckBox>("CheckBox2")->isChecked());
    QTest::mouseClick(p.find<QCheckBox>("CheckBox2"), Qt::LeftButton);
    QVERIFY(!p.item("ShowMessage1")->isChecked());
    QVERIFY(!p.form1.CheckBox2.Checked);
    QVERIFY(p.tray.balloons.empty());
    QVERIFY(p.dialogs.shown.empty());
}

void TForm1Test::linksGrowWhileThePointerIsOverThem()
{
    auto& p = *program_;
    p.window.show();
    for (const char* name : { "Label39", "Label40" }) {
        auto* link = p.find<QLabel>(name);
        QCOMPARE(link->font().pointSize(), 8);
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), link->mapToGlobal(QPointF(3, 3)), Qt::NoButton, Qt::NoButton,
            Qt::NoModifier);
        QApplication::sendEvent(link, &move);
        QCOMPARE(link->font().pointSize(), 9);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(link, &leave);
        QCOMPARE(link->font().pointSize(), 8);
    }
    QTest::mouseClick(p.find("Label39"), Qt::LeftButton);
    QCOMPARE(p.recorder.callsTo({ "ShellExecuteA" }).size(), 1u);
    QVERIFY(p.dialogs.shown.empty());
}

void TForm1Test::optionAndAboutShowWithoutModalityAndComeToTheFront()
{
    auto& p = *program_;
    p.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));
    QTest::mouseClick(p.find("BitBtn3"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(p.options.isVisible(), 2000);
    QVERIFY(!p.options.isModal());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &p.options, 2000);
    QTest::mouseClick(p.find("Label40"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(p.about.isVisible(), 2000);
    QVERIFY(!p.about.isModal());
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &p.about, 2000);
    QVERIFY(p.options.isVisible());
    // The main window stays usable, and a second click only brings the window forward again.
    QTest::mouseClick(p.find("BitBtn3"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &p.options, 2000);
    QTest::mouseClick(p.find("Label40"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &p.about, 2000);
    QVERIFY(p.options.isVisible());
}

void TForm1Test::aProgressBandAddsFortyPixels()
{
    auto& p = *program_;
    p.window.show();
    QCOMPARE(p.window.width(), 259);
    QCOMPARE(p.window.height(), 26 + 52 + 205 + 73 + 39);
    for (auto* band : { &p.form1.Panelproggress, &p.form1.Panelproggressx }) {
        band->Visible = true;
        p.events.RefreshAll();
        p.window.layout()->activate();
        QCOMPARE(p.window.height(), 395 + 40);
        band->Visible = false;
        p.events.RefreshAll();
        p.window.layout()->activate();
        QCOMPARE(p.window.height(), 395);
    }
    // The red bar lies over the black one and shows the model's width.
    p.form1.Panelproggress.Visible = p.form1.Panelcountdwn.Visible = true;
    p.form1.Paneltimeleft.Width = 120;
    p.events.RefreshAll();
    auto* bar = p.find("Paneltimeleft");
    QCOMPARE(bar->geometry(), QRect(6, 21, 120, 7));
    QCOMPARE(p.find("Panel16")->geometry(), QRect(6, 21, 240, 7));
}

void TForm1Test::minimisingWithoutNotificationAreaKeepsTheWindow()
{
    auto& p = *program_;
    p.tray.available = false;
    p.window.show();
    p.form1.FormMinimized();
    p.events.RefreshAll();
    QVERIFY(p.window.isVisible());
    p.tray.available = true;
    p.form1.FormMinimized();
    p.events.RefreshAll();
    QVERIFY(!p.window.isVisible());
    // Showing it again from the tray runs the show handler again and brings it forward.
    p.item("ShowWindows1")->trigger();
    QVERIFY(p.window.isVisible());
    QVERIFY(p.form1.Visible);
}

void TForm1Test::everyShowFromHiddenReadsTheOptionsAgain()
{
    auto& p = *program_;
    const auto loads = [&p] {
        std::size_t count = 0;
        for (const auto& call : p.recorder.callsTo({ "RegOpenKeyExA" }))
            count += call.find("vespern\\setting") != std::string::npos ? 1 : 0;
        return count;
    };
    p.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));
    const auto first = loads();
    QVERIFY(first > 0);
    for (const auto& reshow : { std::function<void()> { [&p] { p.item("ShowWindows1")->trigger(); } },
             std::function<void()> { [&p] { p.form1.TrayIcon1.Notify(TrayMouseMessage::LButtonDblClk); } } }) {
        const auto before = loads();
        p.window.showMinimized();
        QTRY_VERIFY_WITH_TIMEOUT(!p.window.isVisible(), 2000);
        QVERIFY(!p.form1.Visible);
        QCOMPARE(loads(), before);
        p.events.Handle(reshow);
        QVERIFY(p.window.isVisible());
        QVERIFY(!p.window.isMinimized());
        QCOMPARE(loads(), before + 1);
        // Already showing: only brought to the front.
        p.events.Handle(reshow);
        QCOMPARE(loads(), before + 1);
    }
}

void TForm1Test::onlyAChangedSelectionOfAnEventListSwitchesItsSettings()
{
    auto& p = *program_;
    p.recorder.script().processes = { processEntry("firefox"), processEntry("bash") };
    p.window.show();
    for (const auto& [events, processes] :
        { std::pair { "ComboBox2", &p.form1.proccesscombo }, std::pair { "ComboBox4", &p.form1.proccesscombox } }) {
        if (processes == &p.form1.proccesscombox)
            QTest::mouseClick(p.find<QRadioButton>("RadioGroup1Item1"), Qt::LeftButton);
        auto* list = p.find<QComboBox>(events);
        list->setCurrentIndex(2);
        emit list->activated(2);
        QCOMPARE(processes->Items, (std::vector<std::string> { "firefox", "bash" }));
        // Typing into the list's text and picking the chosen item again change no selection.
        list->lineEdit()->setFocus();
        QTest::keyClicks(list->lineEdit(), QStringLiteral("ab"));
        QCOMPARE(list->currentText(), QStringLiteral("On Process Stopsab"));
        emit list->activated(2);
        QCOMPARE(processes->Items, (std::vector<std::string> { "firefox", "bash" }));
        list->setCurrentIndex(0);
        emit list->activated(0);
        list->setCurrentIndex(2);
        emit list->activated(2);
        QCOMPARE(processes->Items.size(), std::size_t { 4 });
    }
}

void TForm1Test::aWindowRestoredAtOnceIsNotHiddenToTheTray()
{
    auto& p = *program_;
    p.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));
    // Minimised and restored before the hiding, which waits for the state change to finish.
    p.window.showMinimized();
    p.window.showNormal();
    QTest::qWait(50);
    QVERIFY(p.window.isVisible());
    QVERIFY(p.form1.Visible);
}

void TForm1Test::pickerShowsTheLongTimeFormatAndReadsAWholeTypedTime()
{
    auto& p = *program_;
    p.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&p.window));
    auto* picker = p.find<ui::TDateTimePickerEx>("DateTimePickerEx1");
    auto* field = picker->findChild<QLineEdit*>();
    QCOMPARE(picker->DisplayPicture(), std::string("HH:mm:ss"));
    QCOMPARE(picker->text(), QStringLiteral("01:00:00"));
    picker->setFocus();
    // The arrows step the part under the cursor.
    field->setCursorPosition(0);
    QTest::keyClick(picker, Qt::Key_Up);
    QCOMPARE(picker->text(), QStringLiteral("02:00:00"));
    QCOMPARE(p.form1.DateTimePickerEx1.DateTime, 2.0 / 24.0);
    field->setCursorPosition(4);
    QTest::keyClick(picker, Qt::Key_Down);
    QCOMPARE(picker->text(), QStringLiteral("02:59:00"));

    // A whole time typed over the selected text is the time, at once and after Enter.
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("07:41:44"));
    QCOMPARE(picker->text(), QStringLiteral("07:41:44"));
    QCOMPARE(PickerTime(p.form1.DateTimePickerEx1), (TimeOfDay { 7, 41, 44 }));
    QTest::keyClick(picker, Qt::Key_Return);
    QCOMPARE(picker->text(), QStringLiteral("07:41:44"));
    // Set as a whole, as assistive technology and input methods do: a whole time at once, a
    // shorter one when the editing ends.
    field->setText(QStringLiteral("08:15:30"));
    QCOMPARE(PickerTime(p.form1.DateTimePickerEx1), (TimeOfDay { 8, 15, 30 }));
    field->setText(QStringLiteral("8:05"));
    QCOMPARE(PickerTime(p.form1.DateTimePickerEx1), (TimeOfDay { 8, 15, 30 }));
    QTest::keyClick(picker, Qt::Key_Enter);
    QCOMPARE(PickerTime(p.form1.DateTimePickerEx1), (TimeOfDay { 8, 5, 0 }));
    QCOMPARE(picker->text(), QStringLiteral("08:05:00"));
    QVERIFY(p.dialogs.shown.empty());

    // Text that does not read is answered, and the picker goes back to its time.
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("2x:00:00"));
    QCOMPARE(PickerTime(p.form1.DateTimePickerEx1), (TimeOfDay { 8, 5, 0 }));
    QTest::keyClick(picker, Qt::Key_Return);
    QCOMPARE(p.dialogs.shown,
        (std::vector<ShownMessage> { { "Vespern", "'2x:00:00' is not a valid date and time.", MessageIcon::Error } }));
    QCOMPARE(picker->text(), QStringLiteral("08:05:00"));
    // Leaving the field ends the editing too; the text is answered once.
    field->setText(QStringLiteral("25:00"));
    p.find("BitBtn2")->setFocus();
    QCOMPARE(p.dialogs.shown.size(), 2u);
    QCOMPARE(p.dialogs.shown.back().text, std::string("'25:00' is not a valid date and time."));
    QCOMPARE(picker->text(), QStringLiteral("08:05:00"));
    QCOMPARE(PickerTime(p.form1.DateTimePickerEx1), (TimeOfDay { 8, 5, 0 }));
}

void TForm1Test::controlsKeepTheModelWhateverChangedThem()
{
    auto& p = *program_;
    p.recorder.script().processes = { processEntry("firefox"), processEntry("bash") };
    p.window.show();
    // The Toggle action of assistive technology changes the state without a click.
    p.find<QCheckBox>("CheckBox1")->toggle();
    QVERIFY(p.form1.CheckBox1.Checked);
    QVERIFY(p.item("Forced1")->isChecked());
    QCOMPARE(p.tray.balloons.size(), 1u);
    p.find<QCheckBox>("CheckBox2")->toggle();
    QVERIFY(p.item("ShowMessage1")->isChecked());
    // A selection made without a pick (arrow keys, assistive technology) runs the list's handler.
    p.find<QComboBox>("ComboBox2")->setCurrentIndex(2);
    QCOMPARE(p.form1.ComboBox2.ItemIndex, 2);
    QCOMPARE(p.form1.proccesscombo.Items, (std::vector<std::string> { "firefox", "bash" }));
    // Whole texts set at once, as input methods, paste and voice control do.
    p.find<QComboBox>("proccesscombo")->lineEdit()->setText(QStringLiteral("sleep"));
    QCOMPARE(p.form1.proccesscombo.Text, std::string("sleep"));
    p.find<QComboBox>("ComboBox1")->setCurrentIndex(3);
    QCOMPARE(p.form1.ComboBox1.ItemIndex, 3);
    QCOMPARE(p.form1.ComboBox1.Text, std::string("Sleep/Stand by"));
    p.find<QSpinBox>("SpinEdit1")->setValue(42);
    QCOMPARE(p.form1.SpinEdit1.Text, std::string("42"));
    p.find<QRadioButton>("RadioGroup1Item1")->toggle();
    QCOMPARE(p.form1.RadioGroup1.ItemIndex, 1);
    QVERIFY(p.form1.Panel5.Visible);
    p.find<QLineEdit>("Edit1")->setText(QStringLiteral("CLIENT7"));
    QCOMPARE(p.form1.Edit1.Text, std::string("CLIENT7"));

    // The view's own updates are not taken for the user's: the tray turns force off and on with
    // one warning per switch-on, and a refresh runs no handler.
    p.item("Forced1")->trigger();
    QVERIFY(!p.find<QCheckBox>("CheckBox1")->isChecked());
    p.item("Forced1")->trigger();
    QCOMPARE(p.tray.balloons.size(), 3u);
    const auto processCalls = p.recorder.calls.size();
    p.events.RefreshAll();
    QCOMPARE(p.recorder.calls.size(), processCalls);
    QVERIFY(p.dialogs.shown.empty());
}

void TForm1Test::theTreeNamesEveryControlAndLeavesDecorationsOut()
{
    auto& p = *program_;
    p.window.show();
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&p.window);
    QCOMPARE(frame->role(), QAccessible::Window);
    QCOMPARE(frame->text(QAccessible::Name), QStringLiteral("Vespern"));
    std::vector<QAccessibleInterface*> tree;
    collectTree(frame, tree);
    std::set<QString> reached;
    for (auto* node : tree) {
        reached.insert(node->object() != nullptr ? node->object()->objectName() : QString());
        if (node->role() == QAccessible::StaticText)
            QVERIFY2(!node->text(QAccessible::Name).trimmed().isEmpty(), qPrintable(node->object()->objectName()));
    }
    for (const char* decoration : { "Image1", "Panel16", "Paneltimeleft", "Panel15", "Paneltimeleftx" })
        QVERIFY2(!reached.contains(QLatin1String(decoration)), decoration);
    for (const char* control : { "Label39", "Label40", "RadioGroup1Item0", "ComboBox2", "ComboBox1", "CheckBox1",
             "BitBtn2", "BitBtn1", "BitBtn3", "Label3" })
        QVERIFY2(reached.count(QLatin1String(control)) == 1, control);
    // The computer name is read as the label's text.
    QCOMPARE(
        QAccessible::queryAccessibleInterface(p.find("Label3"))->text(QAccessible::Name), QStringLiteral("DESKTOP1"));
    const std::pair<const char*, const char*> names[]
        = { { "Timer", "Countdown minutes" }, { "DateTimePickerEx1", "Time of day" }, { "ComboBox2", "Event" },
              { "proccesscombo", "Proccess :" }, { "ComboBox1", "Action" }, { "Edit1", "Client computer name" },
              { "SpinEdit2", "Battery life below, percent" } };
    for (const auto& [control, name] : names)
        QCOMPARE(spokenName(QAccessible::queryAccessibleInterface(p.find(control))), QString::fromLatin1(name));
    // The text field inside a list is named like the list.
    QCOMPARE(p.find<QComboBox>("ComboBox1")->lineEdit()->accessibleName(), QStringLiteral("Action"));
}

void TForm1Test::linksTakeTheFocusAndOpenWithEnterOrSpace()
{
    auto& p = *program_;
    p.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&p.window));
    auto* help = p.find<ui::LinkLabel>("Label39");
    auto* about = p.find<ui::LinkLabel>("Label40");
    QCOMPARE(QAccessible::queryAccessibleInterface(help)->role(), QAccessible::Link);
    help->setFocus();
    QTest::keyClick(help, Qt::Key_Return);
    QCOMPARE(p.recorder.callsTo({ "ShellExecuteA" }).size(), 1u);
    QTest::keyClick(&p.window, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), about);
    QTest::keyClick(about, Qt::Key_Space);
    QTRY_VERIFY_WITH_TIMEOUT(p.about.isVisible(), 2000);
    // Assistive technology presses it as a button.
    p.form5.Close();
    p.events.RefreshAll();
    auto* actions = QAccessible::queryAccessibleInterface(about)->actionInterface();
    QVERIFY(actions != nullptr);
    actions->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(p.about.isVisible());
}

void TForm1Test::linksStandOutFromTheBanner()
{
    auto& p = *program_;
    const QImage banner = p.find<QLabel>("Image1")->pixmap().toImage();
    for (const char* name : { "Label39", "Label40" }) {
        auto* link = p.find<QLabel>(name);
        const QColor text = link->palette().color(QPalette::WindowText);
        double worst = 100;
        const QRect area = link->geometry().intersected(banner.rect());
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                worst = std::min(worst, contrast(text, banner.pixelColor(x, y)));
        QVERIFY2(worst >= 4.5, qPrintable(QStringLiteral("%1: %2:1").arg(QLatin1String(name)).arg(worst)));
    }
}

void TForm1Test::captionsFitTheirControls()
{
    auto& p = *program_;
    for (QWidget* window : { static_cast<QWidget*>(&p.window), static_cast<QWidget*>(&p.options) }) {
        for (auto* button : window->findChildren<QAbstractButton*>()) {
            const int indicator = button->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button)
                + button->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button);
            const int text = button->fontMetrics().horizontalAdvance(button->text());
            // A push button's picture stands before its caption.
            const int picture = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            const bool push = qobject_cast<QPushButton*>(button) != nullptr;
            QVERIFY2(!push || button->window() != &p.window || picture > 0, qPrintable(button->text()));
            const int needed = push ? picture + text + 8 : text + indicator;
            QVERIFY2(needed <= button->width(),
                qPrintable(button->text() + QStringLiteral(": %1 > %2").arg(needed).arg(button->width())));
            QVERIFY2(button->geometry().right() < button->parentWidget()->width(), qPrintable(button->text()));
        }
        // One face in every window.
        QCOMPARE(window->font().family(), p.window.font().family());
    }
    QCOMPARE(p.about.findChild<QLabel*>(QStringLiteral("Label1"))->font().family(), p.window.font().family());
}

void TForm1Test::uncheckedTrayItemsShowAnEmptyBox()
{
    auto& p = *program_;
    auto* menu = p.window.findChild<QMenu*>(QStringLiteral("PopupMenu1"));
    menu->ensurePolished();
    menu->adjustSize();
    // What stands in the picture column before the caption: pixels unlike the row's ground.
    const auto marks = [menu](const char* name) {
        const QImage picture
            = menu->grab(menu->actionGeometry(menu->findChild<QAction*>(QLatin1String(name)))).toImage();
        const int ground = qGray(picture.pixel(picture.width() - 2, picture.height() / 2));
        int marked = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 2; x < std::min(picture.width(), 44); ++x)
                marked += std::abs(qGray(picture.pixel(x, y)) - ground) > 40 ? 1 : 0;
        return marked;
    };
    QVERIFY(!p.item("Forced1")->isChecked());
    const int plain = marks("ShowWindows1");
    const int empty = marks("Forced1");
    QVERIFY2(empty > plain + 20, "no box beside an unticked check item");
    p.item("Forced1")->setChecked(true);
    QVERIFY2(marks("Forced1") > empty + 5, "a ticked check item shows no mark");
}

void TForm1Test::pickerFormatStringIsSentOnlyOnceTheControlExists()
{
    auto& p = *program_;
    auto* picker = p.find<ui::TDateTimePickerEx>("DateTimePickerEx2");
    // Assigned while the window was built: stored, never shown.
    QCOMPARE(picker->FormatString(), std::string("MM/dd/YYYY"));
    QCOMPARE(picker->DisplayPicture(), std::string("HH:mm:ss"));
    picker->SetFormatString("HH:mm");
    QCOMPARE(picker->DisplayPicture(), std::string("HH:mm"));
    QCOMPARE(picker->text(), QStringLiteral("01:00"));
    QCOMPARE(picker->FormatString(), std::string("HH:mm"));
    // A format the control refuses leaves the previous one and the property as they were.
    for (const char* refused : { "", "MM/dd/YYYY" }) {
        picker->SetFormatString(refused);
        QCOMPARE(picker->DisplayPicture(), std::string("HH:mm"));
        QCOMPARE(picker->FormatString(), std::string("HH:mm"));
    }
}

void TForm1Test::bannerIsDecodedAndBadDataIsRefused()
{
    auto* image = program_->find<QLabel>("Image1");
    QCOMPARE(image->pixmap().size(), QSize(260, 26));
    QVERIFY(image->hasScaledContents());
    QCOMPARE(image->geometry(), QRect(0, 0, 260, 26));

    QFile file(QStringLiteral(":/vespern/banner.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto decode = [](const QByteArray& data, std::string& error) {
        return ui::DecodeJpeg(
            std::span(reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size())),
            error);
    };
    std::string error;
    const auto banner = decode(bytes, error);
    QCOMPARE(banner.width, 260);
    QCOMPARE(banner.pixels.size(), std::size_t { 260 } * 26 * 3);
    for (const QByteArray& bad : { bytes.left(2), QByteArray("not a picture at all"), QByteArray() }) {
        error.clear();
        const auto refused = decode(bad, error);
        QVERIFY(refused.pixels.empty());
        QVERIFY(!error.empty());
    }
}

int main(int argc, char** argv)
{
    // No test may reach the desktop's real session bus or notification area.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + runtime.path() + "/no-bus").toLocal8Bit());
    QApplication application(argc, argv);
    TForm1Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "TForm1Test.moc"
