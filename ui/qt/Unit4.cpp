#include "Unit4.h"

#include "components/Accessibility.h"
#include "components/CountdownBar.h"
#include "components/Placement.h"
#include "components/WindowFont.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vespern::ui {

namespace {

QPushButton* button(QWidget* parent, const char* name, const std::string& caption, QRect geometry)
{
    auto* control = new QPushButton(QString::fromStdString(caption), parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}

} // namespace

TForm4::TForm4(TForm4Model& model, UiEvents& events, QWidget* mainWindow)
    : QDialog(mainWindow,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint)
    , model_(model)
    , events_(events)
{
    InstallAccessibility();
    // An alert: screen readers read it out as it opens.
    SetAccessibleRole(this, QAccessible::AlertMessage);
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QString::fromStdString(model_.Caption));
    setFont(WindowFont());
    setFixedSize(model_.ClientWidth, model_.ClientHeight);
    buildControls();
    events_.AddView(this, [this] { Refresh(); });
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
    // Read with the alert; the keys go to the buttons.
    memo1_->setFocusPolicy(Qt::NoFocus);

    auto* strip = new QWidget(this);
    strip->setGeometry(0, 141, model_.ClientWidth, 17);
    // Panel16 is the black track, Panel15 the red bar over it.
    bar_ = new CountdownBar(TForm4Model::FullBar / TForm4Model::BarStep, model_.Panel16.Width, strip);
    bar_->setObjectName(QStringLiteral("Panel15"));
    bar_->setAccessibleName(QStringLiteral("Time left before the action runs"));
    bar_->setGeometry(11, 5, model_.Panel16.Width, model_.Panel16.Height);

    // "Execute Now" fills its 81 pixels: neither button carries a picture.
    bitBtn2_ = button(this, "BitBtn2", model_.BitBtn2.Caption, QRect(57, 167, 81, 25));
    bitBtn1_ = button(this, "BitBtn1", model_.BitBtn1.Caption, QRect(147, 167, 81, 25));
    connect(bitBtn2_, &QPushButton::clicked, this, [this] { events_.Handle([this] { model_.BitBtn2Click(); }); });
    connect(bitBtn1_, &QPushButton::clicked, this, [this] { events_.Handle([this] { model_.BitBtn1Click(); }); });
}

TForm4::~TForm4()
{
    events_.RemoveView(this);
}

void TForm4::Refresh()
{
    const QString question = QString::fromLocal8Bit(model_.Memo1.Text);
    if (memo1_->toPlainText() != question)
        memo1_->setPlainText(question);
    memo1_->setReadOnly(model_.Memo1.ReadOnly);
    setAccessibleDescription(question);
    bar_->SetBarWidth(model_.Panel15.Width);

    if (model_.Visible && !isVisible())
        showCentred();
    else if (!model_.Visible && isVisible())
        hide();
    if (frontRequests_.Take(model_.FrontRequests) && isVisible()) {
        raise();
        activateWindow();
    }
}

void TForm4::showCentred()
{
    CentreOnOwner(this);
    show();
    raise();
    activateWindow();
    // Enter and Space answer "Cancel" first: a key pressed once too often keeps the action back.
    bitBtn2_->setDefault(true);
    bitBtn2_->setFocus(Qt::ActiveWindowFocusReason);
}

void TForm4::reject()
{
    if (model_.Visible)
        events_.Handle([this] { model_.BitBtn2Click(); });
}

void TForm4::closeEvent(QCloseEvent* event)
{
    // The title-bar close only hides the dialog; a running countdown goes on.
    if (model_.Visible)
        events_.Handle([this] { model_.Close(); });
    event->accept();
}

} // namespace vespern::ui
