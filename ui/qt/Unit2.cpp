#include "Unit2.h"

#include "components/Accessibility.h"
#include "components/Pictures.h"
#include "components/Placement.h"
#include "components/WindowFont.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>
#include <QTabBar>

namespace vespern::ui {

namespace {

QString text(const std::string& value)
{
    return QString::fromStdString(value);
}

} // namespace

QString QtFileFilter(const std::string& filter, bool offerAllFiles)
{
    const QStringList parts = text(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        // A description that already shows its patterns in parentheses is taken as it is.
        entries << (parts[i].contains(QLatin1Char('(')) ? parts[i] : parts[i] + QStringLiteral(" (") + patterns + ')');
    }
    if (offerAllFiles)
        entries << QStringLiteral("All files (*)");
    return entries.join(QStringLiteral(";;"));
}

QtFileOpenDialog::QtFileOpenDialog(QWidget* parent)
    : parent_(parent)
{
}

std::optional<std::string> QtFileOpenDialog::Execute(const TOpenDialog& dialog)
{
    const QString chosen
        = QFileDialog::getOpenFileName(parent_, QString(), text(dialog.InitialDir), QtFileFilter(dialog.Filter, true));
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toStdString();
}

TForm2::TForm2(TForm2Model& model, UiEvents& events, QWidget* mainWindow, FileOpenDialog* fileDialog)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , model_(model)
    , events_(events)
    , ownDialog_(fileDialog ? nullptr : std::make_unique<QtFileOpenDialog>(this))
    , fileDialog_(fileDialog ? fileDialog : ownDialog_.get())
{
    InstallAccessibility();
    SetAccessibleRole(this, QAccessible::Dialog);
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(text(model_.Caption));
    setFont(WindowFont());
    setFixedSize(260, 193);

    auto* tabControl = addPanel("TabControl1", QString(), this, { 0, 0, 260, 161 });
    tabs_ = new QTabBar(tabControl);
    tabs_->setObjectName(QStringLiteral("TabControl1Tabs"));
    tabs_->setAccessibleName(QStringLiteral("Option pages"));
    tabs_->setGeometry(2, 2, 256, 22);
    tabs_->setExpanding(false);
    for (const auto& tab : model_.TabControl1.Tabs)
        tabs_->addTab(text(tab));
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (index == model_.TabControl1.TabIndex)
            return;
        events_.Handle([this, index] {
            model_.TabControl1.TabIndex = index;
            model_.TabControl1Change();
        });
    });
    panels_[0] = addPanel("Panel2", QStringLiteral("General"), tabControl, { 4, 24, 251, 131 });
    panels_[1] = addPanel("Panel3", QStringLiteral("On Action"), tabControl, { 5, 25, 251, 131 });
    panels_[2] = addPanel("Panel4", QStringLiteral("Shortcut"), tabControl, { 5, 25, 251, 131 });
    buildGeneral(panels_[0]);
    buildOnAction(panels_[1]);
    buildShortcut(panels_[2]);

    auto* panel1 = addPanel("Panel1", QString(), this, { 0, 160, 260, 33 });
    // Left to right, as they stand.
    auto* close = addButton(model_.BitBtn2, "BitBtn2", panel1, { 84, 4, 83, 25 });
    auto* save = addButton(model_.BitBtn1, "BitBtn1", panel1, { 171, 4, 83, 25 });
    connect(save, &QPushButton::clicked, this, [this] { events_.Handle([this] { model_.BitBtn1Click(); }); });
    connect(close, &QPushButton::clicked, this, [this] { events_.Handle([this] { model_.BitBtn2Click(); }); });

    events_.AddView(this, [this] { Refresh(); });
    Refresh();
}

TForm2::~TForm2()
{
    events_.RemoveView(this);
}

QWidget* TForm2::addPanel(const char* name, const QString& accessibleName, QWidget* parent, QRect geometry)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setAccessibleName(accessibleName);
    panel->setGeometry(geometry);
    return panel;
}

QPushButton* TForm2::addButton(
    const TButton& button, const char* name, QWidget* parent, QRect geometry, const char* picture)
{
    auto* widget
        = new QPushButton(picture != nullptr ? ProgramPicture(picture) : QIcon(), text(button.Caption), parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    // Enter presses the focused button, never one elsewhere (the dialog has no default button).
    widget->setAutoDefault(false);
    return widget;
}

QCheckBox* TForm2::addCheckBox(TCheckBox& box, const char* name, QWidget* parent, QRect geometry)
{
    auto* widget = new QCheckBox(text(box.Caption), parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    FitCaption(widget);
    checkBoxes_[widget] = &box;
    // The state, however it changed (a click, Space, the Toggle action of assistive technology).
    connect(widget, &QCheckBox::toggled, this,
        [this, &box](bool checked) { events_.Handle([this, &box, checked] { model_.SetChecked(box, checked); }); });
    return widget;
}

void TForm2::buildGeneral(QWidget* panel)
{
    auto* ontop = addCheckBox(model_.ontop, "ontop", panel, { 8, 9, 97, 17 });
    auto* startup = addCheckBox(model_.startup, "startup", panel, { 8, 28, 169, 17 });
    auto* empty = addCheckBox(model_.empty, "empty", panel, { 8, 47, 201, 17 });
    auto* taskManager = addCheckBox(model_.CheckBox1, "CheckBox1", panel, { 8, 67, 241, 17 });
    auto* shutdown = addCheckBox(model_.Hideshutdwnbtn, "Hideshutdwnbtn", panel, { 8, 87, 193, 17 });
    auto* logoff = addCheckBox(model_.CheckBox4, "CheckBox4", panel, { 9, 107, 193, 17 });
    setTabOrder(empty, startup);
    setTabOrder(startup, ontop);
    setTabOrder(ontop, taskManager);
    setTabOrder(taskManager, shutdown);
    setTabOrder(shutdown, logoff);
}

void TForm2::buildOnAction(QWidget* panel)
{
    addCheckBox(model_.CheckBox3, "CheckBox3", panel, { 8, 13, 201, 17 });
    groupBox1_ = new QGroupBox(text(model_.GroupBox1.Caption), panel);
    groupBox1_->setObjectName(QStringLiteral("GroupBox1"));
    groupBox1_->setGeometry(7, 33, 239, 92);
    auto* label = new QLabel(text(model_.Label1.Caption), groupBox1_);
    label->setObjectName(QStringLiteral("Label1"));
    label->setGeometry(7, 18, 105, 13);
    edit1_ = new QLineEdit(groupBox1_);
    edit1_->setObjectName(QStringLiteral("Edit1"));
    edit1_->setAccessibleName(QStringLiteral("Program to execute"));
    edit1_->setReadOnly(true);
    edit1_->setGeometry(6, 36, 226, 21);
    label->setBuddy(edit1_);
    auto* browse = addButton(model_.BitBtn3, "BitBtn3", groupBox1_, { 157, 61, 75, 25 }, "button-browse");
    browse->setAccessibleDescription(QStringLiteral("Choose the program to execute"));
    connect(
        browse, &QPushButton::clicked, this, [this] { events_.Handle([this] { model_.BitBtn3Click(*fileDialog_); }); });
}

void TForm2::buildShortcut(QWidget* panel)
{
    auto* group = new QGroupBox(text(model_.GroupBox2.Caption), panel);
    group->setObjectName(QStringLiteral("GroupBox2"));
    group->setGeometry(6, 6, 239, 120);
    const QRect places[] = { { 10, 19, 97, 17 }, { 10, 36, 97, 17 }, { 10, 54, 97, 17 }, { 10, 73, 97, 17 },
        { 10, 91, 97, 17 }, { 118, 22, 97, 17 }, { 118, 37, 105, 17 }, { 118, 53, 113, 17 }, { 118, 69, 97, 17 } };
    for (std::size_t row = 0; row < DesktopActionFileTable.size(); ++row) {
        const std::string name(DesktopActionFileTable[row].control);
        auto* box = addCheckBox(model_.ShortcutBox(row), name.c_str(), group, places[row]);
        box->setAccessibleName(QStringLiteral("Desktop shortcut: ") + box->text());
    }
}

void TForm2::Refresh()
{
    for (const auto& [widget, box] : checkBoxes_) {
        const QSignalBlocker blocker(widget);
        widget->setChecked(box->Checked);
        widget->setEnabled(box->Enabled);
    }
    groupBox1_->setEnabled(model_.GroupBox1.Enabled);
    edit1_->setText(QString::fromLocal8Bit(model_.Edit1.Text));
    {
        const QSignalBlocker blocker(tabs_);
        tabs_->setCurrentIndex(model_.TabControl1.TabIndex);
    }
    const TPanel* panels[] = { &model_.Panel2, &model_.Panel3, &model_.Panel4 };
    for (int i = 0; i < 3; ++i)
        panels_[i]->setVisible(panels[i]->Visible);
    applyMainWindowStyle();
    if (model_.Visible && !isVisible())
        showCentred();
    else if (!model_.Visible && isVisible())
        hide();
}

void TForm2::showCentred()
{
    CentreOnOwner(this);
    show();
    raise();
    activateWindow();
}

void TForm2::reject()
{
    events_.Handle([this] { model_.BitBtn2Click(); });
}

// The save decides whether the main window stays on top; applied here, where the change lands.
void TForm2::applyMainWindowStyle()
{
    QWidget* mainWindow = parentWidget();
    if (!mainWindow || mainWindow->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == model_.MainFormStayOnTop)
        return;
    const bool shown = mainWindow->isVisible();
    mainWindow->setWindowFlag(Qt::WindowStaysOnTopHint, model_.MainFormStayOnTop);
    if (shown)
        mainWindow->show();
}

void TForm2::closeEvent(QCloseEvent* event)
{
    events_.Handle([this] { model_.BitBtn2Click(); });
    event->accept();
}

} // namespace vespern::ui
