#include "Unit1.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vespern::ui {

TForm1::TForm1(TForm1Model& model, UiEvents& events)
    : model_(model)
    , events_(events)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromStdString(model_.Caption));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Computer Name"), this);
    group->setObjectName(QStringLiteral("GroupBox7"));
    auto* groupLayout = new QVBoxLayout(group);
    label3_ = new QLabel(group);
    label3_->setObjectName(QStringLiteral("Label3"));
    label3_->setAlignment(Qt::AlignCenter);
    groupLayout->addWidget(label3_);
    layout->addWidget(group);

    buildTrayMenu();
    trayIcon_ = std::make_unique<TTrayIcon>(model_.TrayIcon1, this);
    trayIcon_->SetPopupMenu(popupMenu1_);

    events_.AddView([this] { Refresh(); });
    events_.Handle([this] { model_.FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::buildTrayMenu()
{
    popupMenu1_ = new QMenu(this);
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    auto* forced = popupMenu1_->addAction(QString::fromStdString(model_.Forced1.Caption));
    forced->setObjectName(QStringLiteral("Forced1"));
    forced->setCheckable(true);
    connect(forced, &QAction::triggered, this,
        [this](bool checked) { events_.Handle([this, checked] { model_.Forced1.Checked = checked; }); });
    popupMenu1_->addSeparator();
    using Handler = void (TForm1Model::*)();
    const std::pair<ActionKind, Handler> items[] = {
        { ActionKind::Shutdown, &TForm1Model::Shutdown1Click },
        { ActionKind::Reboot, &TForm1Model::Reboot1Click },
        { ActionKind::LogOff, &TForm1Model::LogOff1Click },
        { ActionKind::StandBy, &TForm1Model::StandBy1Click },
        { ActionKind::Hibernate, &TForm1Model::Hibernate1Click },
        { ActionKind::HangUp, &TForm1Model::HangUp1Click },
        { ActionKind::LockSwitchUser, &TForm1Model::LockSwitchUser1Click },
        { ActionKind::TurnOffMonitor, &TForm1Model::urnMonitorOff1Click },
        { ActionKind::ShowScreensaver, &TForm1Model::ShowScreensaver1Click },
    };
    for (const auto& [kind, handler] : items) {
        const auto& info = Info(kind);
        auto* action = popupMenu1_->addAction(QString::fromUtf8(info.menuCaption.data(), info.menuCaption.size()));
        action->setObjectName(QString::fromUtf8(info.menuItem.data(), info.menuItem.size()));
        connect(action, &QAction::triggered, this,
            [this, handler = handler] { events_.Handle([this, handler] { (model_.*handler)(); }); });
    }
}

void TForm1::Refresh()
{
    label3_->setText(QString::fromLocal8Bit(model_.Label3.Caption));
    label3_->setToolTip(QString::fromStdString(model_.Label3.Hint));
    label3_->setAccessibleName(QStringLiteral("Computer name"));
    if (auto* forced = popupMenu1_->findChild<QAction*>(QStringLiteral("Forced1")))
        forced->setChecked(model_.Forced1.Checked);
    if (!model_.Visible && isVisible())
        hide();
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous() || model_.Visible)
        return;
    model_.Visible = true;
    events_.Handle([this] { model_.FormShow(); });
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // Closing the main window ends the program.
    events_.Handle([this] { model_.Close(); });
    event->accept();
}

} // namespace vespern::ui
