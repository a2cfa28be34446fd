#include "Unit5.h"

#include "components/Accessibility.h"
#include "components/GradientPanel.h"
#include "components/Placement.h"

#include <QCloseEvent>
#include <QLabel>

namespace vespern::ui {

TForm5::TForm5(TForm5Model& model, UiEvents& events, QWidget* mainWindow)
    : QDialog(mainWindow,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , model_(model)
    , events_(events)
{
    InstallAccessibility();
    SetAccessibleRole(this, QAccessible::Dialog);
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QString::fromStdString(model_.Caption));
    setFont(ToQFont(model_.Font));
    setFixedSize(model_.ClientWidth, model_.ClientHeight);

    // Siblings created later lie on top, so the labels follow the panel.
    gradientPanel1_ = new TGradientPanel(model_.GradientPanel1, this);
    gradientPanel1_->setObjectName(QStringLiteral("GradientPanel1"));
    // The background and the rule under the title only decorate: a reader hears name and version.
    MarkDecorative(gradientPanel1_);
    MarkDecorative(addLabel(model_.Label2, "Label2"));
    addLabel(model_.Label1, "Label1");
    addLabel(model_.Label3, "Label3");

    events_.AddView(this, [this] { Refresh(); });
}

QLabel* TForm5::addLabel(const TAboutLabel& label, const char* name)
{
    auto* widget = new QLabel(QString::fromStdString(label.Caption), this);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setFont(ToQFont(label.Font));
    widget->setAutoFillBackground(!label.Transparent);
    widget->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    widget->setMargin(0);
    widget->setIndent(0);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgb(static_cast<QRgb>(label.Font.Color)));
    widget->setPalette(palette);
    if (label.Width > 0 && label.Height > 0)
        widget->setGeometry(label.Left, label.Top, label.Width, label.Height);
    else {
        widget->move(label.Left, label.Top);
        widget->adjustSize();
    }
    return widget;
}

TForm5::~TForm5()
{
    events_.RemoveView(this);
}

void TForm5::Refresh()
{
    gradientPanel1_->Refresh();
    if (!model_.Visible) {
        if (isVisible())
            hide();
        return;
    }
    if (!isVisible())
        CentreOnOwner(this);
    if (showRequests_.Take(model_.ShowCount) || !isVisible()) {
        show();
        raise();
        activateWindow();
    }
}

void TForm5::reject()
{
    events_.Handle([this] { model_.Close(); });
}

void TForm5::closeEvent(QCloseEvent* event)
{
    events_.Handle([this] { model_.Close(); });
    event->accept();
}

} // namespace vespern::ui
