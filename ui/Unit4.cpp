#include "Unit4.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace vespern::ui {

namespace {

QFrame* bar(QWidget* parent, const char* name, const char* colour, const QString& accessibleName)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setStyleSheet(QStringLiteral("background-color: %1; border: none;").arg(QString::fromLatin1(colour)));
    frame->setAccessibleName(accessibleName);
    return frame;
}

QPushButton* button(QWidget* parent, const char* name, const std::string& caption, QRect geometry)
{
    auto* control = new QPushButton(QString::fromStdString(caption), parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setAccessibleName(control->text());
    control->setGeometry(geometry);
    return control;
}

} // namespace

TForm4::TForm4(TForm4Model& model, UiEvents& events, QWidget* mainWindow)
    : QWidget(mainWindow,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint)
    , model_(model)
    , events_(events)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QString::fromStdString(model_.Caption));
    setFixedSize(model_.ClientWidth, model_.ClientHeight);
    buildControls();
    timer1_ = countdownTimer("Timer1", &TForm4Model::Timer1Timer);
    timer2_ = countdownTimer("Timer2", &TForm4Model::Timer2Timer);
    events_.AddView([this] { Refresh(); });
    Refresh();
}

void TForm4::buildControls()
{
    auto* top = new QWidget(this);
    top->setGeometry(0, 0, model_.ClientWidth, 141);
    memo1_ = new QPlainTextEdit(top);
    memo1_->setObjectName(QStringLiteral("Memo1"));
    memo1_->setAccessibleName(QStringLiteral("Question"));
    memo1_->setGeometry(6, 6, 273, 129);
    memo1_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* strip = new QWidget(this);
    strip->setGeometry(0, 141, model_.ClientWidth, 17);
    panel16_ = bar(strip, "Panel16", "black", QStringLiteral("Countdown track"));
    panel15_ = bar(strip, "Panel15", "red", QStringLiteral("Time left before the action runs"));
    panel16_->setGeometry(11, 5, model_.Panel16.Width, model_.Panel16.Height);

    bitBtn2_ = button(this, "BitBtn2", model_.BitBtn2.Caption, QRect(57, 167, 81, 25));
    bitBtn1_ = button(this, "BitBtn1", model_.BitBtn1.Caption, QRect(147, 167, 81, 25));
    connect(bitBtn2_, &QPushButton::clicked, this, [this] { events_.Handle([this] { model_.BitBtn2Click(); }); });
    connect(bitBtn1_, &QPushButton::clicked, this, [this] { events_.Handle([this] { model_.BitBtn1Click(); }); });
}

QTimer* TForm4::countdownTimer(const char* name, void (TForm4Model::*handler)())
{
    auto* timer = new QTimer(this);
    timer->setObjectName(QString::fromLatin1(name));
    connect(
        timer, &QTimer::timeout, this, [this, handler] { events_.Handle([this, handler] { (model_.*handler)(); }); });
    return timer;
}

void TForm4::syncTimer(QTimer* timer, const TTimer& state)
{
    if (timer->interval() != state.Interval)
        timer->setInterval(state.Interval);
    if (state.Enabled && !timer->isActive())
        timer->start();
    else if (!state.Enabled && timer->isActive())
        timer->stop();
}

void TForm4::Refresh()
{
    const QString question = QString::fromLocal8Bit(model_.Memo1.Text);
    if (memo1_->toPlainText() != question)
        memo1_->setPlainText(question);
    memo1_->setReadOnly(model_.Memo1.ReadOnly);
    // The model never goes below 0; the clamp keeps a width Qt cannot draw out of the view too.
    panel15_->setGeometry(11, 5, std::max(0, model_.Panel15.Width), model_.Panel15.Height);
    panel15_->setVisible(model_.Panel15.Width > 0);
    syncTimer(timer1_, model_.Timer1);
    syncTimer(timer2_, model_.Timer2);

    if (model_.Visible && !isVisible())
        showCentred();
    else if (!model_.Visible && isVisible())
        hide();
    if (model_.FrontRequests != frontRequests_ && isVisible()) {
        raise();
        activateWindow();
    }
    frontRequests_ = model_.FrontRequests;
}

void TForm4::showCentred()
{
    const QWidget* owner = parentWidget();
    QRect area = owner != nullptr && owner->isVisible() ? owner->frameGeometry() : QRect();
    if (area.isNull() && QGuiApplication::primaryScreen() != nullptr)
        area = QGuiApplication::primaryScreen()->availableGeometry();
    if (!area.isNull())
        move(area.center() - rect().center());
    show();
    raise();
    activateWindow();
}

void TForm4::closeEvent(QCloseEvent* event)
{
    // The title-bar close only hides the dialog; a running countdown goes on.
    if (model_.Visible)
        events_.Handle([this] { model_.Close(); });
    event->accept();
}

} // namespace vespern::ui
