#include "Unit1.h"

#include "components/DateTimePickerExUnit.h"
#include "components/JpegDecoder.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <iostream>

// The pictures are compiled into this static library; its resources need registering once.
static void initialiseResources()
{
    Q_INIT_RESOURCE(vespern);
}

namespace vespern::ui {

namespace {

QString qs(const std::string& text)
{
    return QString::fromLocal8Bit(text);
}

QFont windowFont()
{
    QFont font;
    // Tahoma where it is installed; otherwise the closest sans-serif face the system offers.
    font.setFamilies({ QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
        QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("sans-serif") });
    font.setPointSize(8);
    return font;
}

void applyControl(QWidget* widget, const TControl& control)
{
    widget->setVisible(control.Visible);
    widget->setEnabled(control.Enabled);
    widget->setToolTip(qs(control.Hint));
}

// A link label: its own font size, and the pointer's moves, leaving and clicks as events.
class LinkLabel final : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onMove;
    std::function<void()> onLeave;
    std::function<void()> onClick;

protected:
    void enterEvent(QEnterEvent* event) override
    {
        QLabel::enterEvent(event);
        if (onMove)
            onMove();
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        QLabel::mouseMoveEvent(event);
        if (onMove)
            onMove();
    }
    void leaveEvent(QEvent* event) override
    {
        QLabel::leaveEvent(event);
        if (onLeave)
            onLeave();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick)
            onClick();
    }
};

// Draws each menu picture at its own size, up to the 40-pixel action pictures.
class MenuPictureStyle final : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_SmallIconSize)
            return 40;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QPixmap bannerPicture()
{
    QFile file(QStringLiteral(":/vespern/banner.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::string error;
    const auto image = DecodeJpeg(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())),
        error);
    if (image.pixels.empty()) {
        std::cerr << "vespern: the banner picture does not decode: " << error << "\n";
        return {};
    }
    const QImage view(image.pixels.data(), image.width, image.height, image.width * 3, QImage::Format_RGB888);
    return QPixmap::fromImage(view.copy());
}

} // namespace

TForm1::TForm1(TForm1Model& model, UiEvents& events)
    : QWidget(nullptr,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , model_(model)
    , events_(events)
    , timePicture_(model.LongTimeFormat())
{
    initialiseResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(qs(model_.Caption));
    setAccessibleName(qs(model_.Caption));
    setFont(windowFont());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    buildBanner(band("Panel22", model_.Panel22, QStringLiteral("Banner and links")));
    buildTargetSelector(band("Panel3", model_.Panel3, QStringLiteral("Target selector")));
    auto* middle = band("Panel9", model_.Panel9, QStringLiteral("Target computer settings"));
    buildLocalSet(panel(middle, "Panel1", model_.Panel1, { 0, 0 }, QStringLiteral("Local computer settings")));
    buildNetworkSet(panel(middle, "Panel5", model_.Panel5, { 0, 0 }, QStringLiteral("Network computer settings")));
    buildActionOptions(band("Panel7", model_.Panel7, QStringLiteral("Action options")));
    buildButtons(band("Panel2", model_.Panel2, QStringLiteral("Buttons")));
    buildTimers();
    buildProgress(band("Panelproggressx", model_.Panelproggressx, QStringLiteral("Network progress")), true);
    buildProgress(band("Panelproggress", model_.Panelproggress, QStringLiteral("Local progress")), false);

    buildTrayMenu();
    trayIcon_ = std::make_unique<TTrayIcon>(
        model_.TrayIcon1, [this](const std::function<void()>& handler) { handle(handler); }, this);
    trayIcon_->SetPopupMenu(popupMenu1_);

    events_.AddView([this] { Refresh(); });
    handle([this] { model_.FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::handle(const std::function<void()>& handler)
{
    events_.Handle(handler);
}

QLabel* TForm1::band(const char* name, TPanel& model, const QString& description)
{
    auto* widget = panel(this, name, model, { 0, 0 }, description);
    widget->setFixedSize(model.Width, model.Height);
    layout()->addWidget(widget);
    return widget;
}

QLabel* TForm1::panel(QWidget* parent, const char* name, TPanel& model, QPoint at, const QString& description)
{
    auto* widget = new QLabel(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setAlignment(Qt::AlignCenter);
    widget->setAccessibleName(model.Caption.empty() ? description : qs(model.Caption));
    widget->setGeometry(at.x(), at.y(), model.Width, model.Height);
    refreshers_.push_back([widget, &model] {
        applyControl(widget, model);
        widget->setText(qs(model.Caption));
        widget->resize(std::max(model.Width, 0), model.Height);
    });
    return widget;
}

QGroupBox* TForm1::group(QWidget* parent, const char* name, TGroupBox& model, QRect geometry)
{
    auto* widget = new QGroupBox(qs(model.Caption), parent);
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(qs(model.Caption));
    widget->setGeometry(geometry);
    refreshers_.push_back([widget, &model] { applyControl(widget, model); });
    return widget;
}

QLabel* TForm1::label(QWidget* parent, const char* name, TLabel& model, QRect geometry)
{
    auto* widget = new QLabel(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    refreshers_.push_back([widget, &model] {
        applyControl(widget, model);
        widget->setText(qs(model.Caption));
        widget->setAccessibleName(model.Hint.empty() ? qs(model.Caption) : qs(model.Hint));
        QFont font = widget->font();
        if (font.pointSize() != model.FontSize) {
            font.setPointSize(model.FontSize);
            widget->setFont(font);
        }
    });
    return widget;
}

QLabel* TForm1::text(QWidget* parent, const QString& caption, QRect geometry)
{
    auto* widget = new QLabel(caption, parent);
    widget->setAccessibleName(caption.trimmed());
    widget->setGeometry(geometry);
    return widget;
}

void TForm1::spin(QWidget* parent, const char* name, TSpinEdit& model, QRect geometry)
{
    auto* widget = new QSpinBox(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(qs(model.Hint));
    widget->setGeometry(geometry);
    connect(widget, &QSpinBox::valueChanged, this,
        [this, &model](int value) { handle([&model, value] { model.Text = std::to_string(value); }); });
    refreshers_.push_back([widget, &model] {
        const QSignalBlocker blocker(widget);
        applyControl(widget, model);
        widget->setRange(model.MinValue, model.MaxValue);
        bool isNumber = false;
        const int value = qs(model.Text).toInt(&isNumber);
        if (isNumber && value != widget->value())
            widget->setValue(value);
    });
}

QComboBox* TForm1::list(
    QWidget* parent, const char* name, TComboBox& model, QRect geometry, std::function<void()> change)
{
    auto* widget = new QComboBox(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(qs(model.Hint));
    widget->setEditable(true);
    widget->setInsertPolicy(QComboBox::NoInsert);
    widget->setGeometry(geometry);
    // The change handler follows the selection: a pick of another item, not typing nor a pick of
    // the item already chosen (the process list would be filled once more at each).
    connect(widget, &QComboBox::activated, this, [this, widget, &model, change](int index) {
        handle([&model, index, text = widget->itemText(index).toLocal8Bit().toStdString(), change] {
            const bool changed = model.ItemIndex != index;
            model.ItemIndex = index;
            model.Text = text;
            if (changed && change)
                change();
        });
    });
    connect(widget->lineEdit(), &QLineEdit::textEdited, this, [this, &model](const QString& typed) {
        handle([&model, text = typed.toLocal8Bit().toStdString()] { model.Text = text; });
    });
    refreshers_.push_back([widget, &model] {
        const QSignalBlocker blocker(widget);
        applyControl(widget, model);
        QStringList items;
        for (const auto& item : model.Items)
            items << qs(item);
        QStringList shown;
        for (int i = 0; i < widget->count(); ++i)
            shown << widget->itemText(i);
        if (shown != items) {
            widget->clear();
            widget->addItems(items);
        }
        if (widget->currentIndex() != model.ItemIndex)
            widget->setCurrentIndex(model.ItemIndex);
        if (widget->currentText() != qs(model.Text))
            widget->setEditText(qs(model.Text));
    });
    return widget;
}

void TForm1::check(QWidget* parent, const char* name, TCheckBox& model, QRect geometry, void (TForm1Model::*click)())
{
    auto* widget = new QCheckBox(qs(model.Caption), parent);
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(qs(model.Caption));
    widget->setGeometry(geometry);
    connect(widget, &QCheckBox::clicked, this, [this, &model, click](bool checked) {
        handle([this, &model, click, checked] {
            model.Checked = checked;
            (model_.*click)();
        });
    });
    refreshers_.push_back([widget, &model] {
        const QSignalBlocker blocker(widget);
        applyControl(widget, model);
        widget->setChecked(model.Checked);
    });
}

QWidget* TForm1::button(QWidget* parent, const char* name, TButton& model, QRect geometry)
{
    auto* widget = new QPushButton(qs(model.Caption), parent);
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(qs(model.Caption));
    widget->setGeometry(geometry);
    refreshers_.push_back([widget, &model] {
        applyControl(widget, model);
        widget->setText(qs(model.Caption));
    });
    return widget;
}

void TForm1::edit(QWidget* parent, const char* name, TEdit& model, QRect geometry, const QString& description)
{
    auto* widget = new QLineEdit(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(model.Hint.empty() ? description : qs(model.Hint));
    widget->setGeometry(geometry);
    connect(widget, &QLineEdit::textEdited, this, [this, &model](const QString& typed) {
        handle([&model, text = typed.toLocal8Bit().toStdString()] { model.Text = text; });
    });
    refreshers_.push_back([widget, &model] {
        const QSignalBlocker blocker(widget);
        applyControl(widget, model);
        widget->setReadOnly(model.ReadOnly);
        if (widget->text() != qs(model.Text))
            widget->setText(qs(model.Text));
    });
}

void TForm1::picker(QWidget* parent, const char* name, vespern::TDateTimePickerEx& model, QRect geometry)
{
    auto* widget = new ui::TDateTimePickerEx(
        model, timePicture_, [this](const std::function<void()>& handler) { handle(handler); }, parent);
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(qs(model.Hint));
    widget->setGeometry(geometry);
    refreshers_.push_back([widget, &model] {
        applyControl(widget, model);
        widget->Refresh();
    });
}

void TForm1::buildBanner(QWidget* band)
{
    auto* image = new QLabel(band);
    image->setObjectName(QStringLiteral("Image1"));
    image->setAccessibleName(QStringLiteral("Vespern banner"));
    image->setScaledContents(true);
    image->setPixmap(bannerPicture());
    image->setGeometry(0, 0, model_.Image1.Width, model_.Image1.Height);
    refreshers_.push_back([image, this] { applyControl(image, model_.Image1); });

    const auto link = [this, band](const char* name, TLabel& model, QRect geometry, void (TForm1Model::*move)(),
                          void (TForm1Model::*leave)(), void (TForm1Model::*click)()) {
        auto* widget = new LinkLabel(band);
        widget->setObjectName(QLatin1String(name));
        widget->setGeometry(geometry);
        widget->setCursor(Qt::PointingHandCursor);
        widget->setMouseTracking(true);
        widget->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        widget->setAttribute(Qt::WA_TranslucentBackground);
        widget->setStyleSheet(QStringLiteral("color: #6fb4ff; background: transparent;"));
        widget->setAccessibleName(qs(model.Caption));
        widget->onMove = [this, move] { handle([this, move] { (model_.*move)(); }); };
        widget->onLeave = [this, leave] { handle([this, leave] { (model_.*leave)(); }); };
        widget->onClick = [this, click] { handle([this, click] { (model_.*click)(); }); };
        refreshers_.push_back([widget, &model] {
            applyControl(widget, model);
            widget->setText(qs(model.Caption));
            QFont font = widget->font();
            if (font.pointSize() != model.FontSize) {
                font.setPointSize(model.FontSize);
                widget->setFont(font);
            }
        });
    };
    link("Label39", model_.Label39, { 170, 4, 42, 18 }, &TForm1Model::Label39MouseMove, &TForm1Model::Label39MouseLeave,
        &TForm1Model::Label39Click);
    link("Label40", model_.Label40, { 214, 4, 40, 18 }, &TForm1Model::Label40MouseMove, &TForm1Model::Label40MouseLeave,
        &TForm1Model::Label40Click);
}

void TForm1::buildTargetSelector(QWidget* band)
{
    auto& model = model_.RadioGroup1;
    auto* widget = new QGroupBox(qs(model.Caption), band);
    widget->setObjectName(QStringLiteral("RadioGroup1"));
    widget->setAccessibleName(qs(model.Caption));
    widget->setGeometry(9, 2, 241, 46);
    std::vector<QRadioButton*> buttons;
    for (std::size_t i = 0; i < model.Items.size(); ++i) {
        auto* radio = new QRadioButton(qs(model.Items[i]), widget);
        radio->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
        radio->setAccessibleName(qs(model.Items[i]));
        radio->setGeometry(8 + static_cast<int>(i) * 108, 20, i == 0 ? 106 : 124, 20);
        connect(radio, &QRadioButton::clicked, this, [this, i] {
            handle([this, i] {
                model_.RadioGroup1.ItemIndex = static_cast<int>(i);
                model_.RadioGroup1Click();
            });
        });
        buttons.push_back(radio);
    }
    refreshers_.push_back([widget, buttons, &model] {
        applyControl(widget, model);
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            const QSignalBlocker blocker(buttons[i]);
            buttons[i]->setToolTip(qs(model.Hint));
            buttons[i]->setChecked(static_cast<int>(i) == model.ItemIndex);
        }
    });
}

void TForm1::buildLocalSet(QWidget* set)
{
    auto& m = model_;
    auto* name = group(set, "GroupBox7", m.GroupBox7, { 9, 2, 241, 47 });
    auto* computer = label(name, "Label3", m.Label3, { 8, 18, 225, 20 });
    computer->setAlignment(Qt::AlignCenter);
    QFont bold = computer->font();
    bold.setBold(true);
    computer->setFont(bold);
    computer->setStyleSheet(QStringLiteral("color: blue;"));

    auto* event = group(set, "GroupBox2", m.GroupBox2, { 9, 52, 241, 83 });
    list(event, "ComboBox2", m.ComboBox2, { 12, 18, 217, 21 }, [this] { model_.ComboBox2Change(); });
    const QPoint settings { 12, 46 };
    auto* countdown = panel(event, "Panel4", m.Panel4, settings, QStringLiteral("Countdown settings"));
    text(countdown, QStringLiteral("Set Timer"), { 4, 6, 60, 18 });
    spin(countdown, "Timer", m.Timer, { 66, 4, 80, 21 });
    text(countdown, QStringLiteral("Minutes"), { 152, 6, 60, 18 });
    auto* onTime = panel(event, "Panel10", m.Panel10, settings, QStringLiteral("On Time settings"));
    text(onTime, QStringLiteral("On Time : "), { 4, 6, 60, 18 });
    picker(onTime, "DateTimePickerEx1", m.DateTimePickerEx1, { 66, 4, 137, 21 });
    auto* process = panel(event, "Panel11", m.Panel11, settings, QStringLiteral("On Process Stops settings"));
    text(process, QStringLiteral("Proccess :"), { 4, 6, 60, 18 });
    list(process, "proccesscombo", m.proccesscombo, { 66, 4, 148, 21 }, {});
    auto* cpu = panel(event, "Panel12", m.Panel12, settings, QStringLiteral("Low CPU Usage settings"));
    text(cpu, QStringLiteral("Below"), { 4, 6, 34, 18 });
    spin(cpu, "SpinEdit1", m.SpinEdit1, { 40, 4, 50, 21 });
    text(cpu, QStringLiteral("%    For"), { 94, 6, 46, 18 });
    spin(cpu, "Edit2", m.Edit2, { 142, 4, 50, 21 });
    text(cpu, QStringLiteral("s"), { 198, 6, 14, 18 });
    auto* battery = panel(event, "Panel13", m.Panel13, settings, QStringLiteral("Battery Low settings"));
    text(battery, QStringLiteral("Below"), { 4, 6, 34, 18 });
    spin(battery, "SpinEdit2", m.SpinEdit2, { 40, 4, 50, 21 });
    text(battery, QStringLiteral("%"), { 94, 6, 14, 18 });
    auto* placeholder = panel(event, "Panel21", m.Panel21, settings, QStringLiteral("Event settings"));
    label(placeholder, "Label30", m.Label30, { 0, 0, 217, 30 })->setAlignment(Qt::AlignCenter);
    // Filled backgrounds, so the panel on top hides the ones below as stacked panels do.
    for (auto* stacked : { countdown, onTime, process, cpu, battery, placeholder })
        stacked->setAutoFillBackground(true);

    auto* action = group(set, "GroupBox1", m.GroupBox1, { 9, 140, 241, 57 });
    list(action, "ComboBox1", m.ComboBox1, { 12, 22, 217, 21 }, {});
}

void TForm1::buildNetworkSet(QWidget* set)
{
    auto& m = model_;
    auto* client = group(set, "GroupBox6", m.GroupBox6, { 9, 2, 241, 47 });
    edit(client, "Edit1", m.Edit1, { 10, 18, 140, 21 }, QStringLiteral("Client Computer Name"));
    onClick(button(client, "BitBtn5", m.BitBtn5, { 156, 16, 76, 25 }), &TForm1Model::BitBtn5Click);

    auto* event = group(set, "GroupBox5", m.GroupBox5, { 9, 52, 241, 83 });
    list(event, "ComboBox4", m.ComboBox4, { 12, 18, 217, 21 }, [this] { model_.ComboBox4Change(); });
    const QPoint settings { 12, 46 };
    auto* countdown = panel(event, "Pcountdwn", m.Pcountdwn, settings, QStringLiteral("Countdown settings"));
    text(countdown, QStringLiteral("Set Timer"), { 4, 6, 60, 18 });
    spin(countdown, "timerx", m.timerx, { 66, 4, 80, 21 });
    text(countdown, QStringLiteral("Minutes"), { 152, 6, 60, 18 });
    auto* onTime = panel(event, "Pontime", m.Pontime, settings, QStringLiteral("On Time settings"));
    text(onTime, QStringLiteral("On Time : "), { 4, 6, 60, 18 });
    picker(onTime, "DateTimePickerEx2", m.DateTimePickerEx2, { 66, 4, 137, 21 });
    auto* process = panel(event, "Pprocess", m.Pprocess, settings, QStringLiteral("On Process Stops settings"));
    text(process, QStringLiteral("Proccess :"), { 4, 6, 60, 18 });
    list(process, "proccesscombox", m.proccesscombox, { 66, 4, 148, 21 }, {});
    auto* cpu = panel(event, "Pcpuusage", m.Pcpuusage, settings, QStringLiteral("Low CPU Usage settings"));
    text(cpu, QStringLiteral("Below"), { 4, 6, 34, 18 });
    spin(cpu, "SpinEdit5", m.SpinEdit5, { 40, 4, 50, 21 });
    text(cpu, QStringLiteral("%    For"), { 94, 6, 46, 18 });
    spin(cpu, "SpinEdit6", m.SpinEdit6, { 142, 4, 50, 21 });
    text(cpu, QStringLiteral("s"), { 198, 6, 14, 18 });
    auto* battery = panel(event, "Pbattlow", m.Pbattlow, settings, QStringLiteral("Battery Low settings"));
    text(battery, QStringLiteral("Below"), { 4, 6, 34, 18 });
    spin(battery, "SpinEdit4", m.SpinEdit4, { 40, 4, 50, 21 });
    text(battery, QStringLiteral("%"), { 94, 6, 14, 18 });
    auto* placeholder = panel(event, "Panel6", m.Panel6, settings, QStringLiteral("Event settings"));
    placeholder->setFrameStyle(QFrame::Panel | QFrame::Raised);
    for (auto* stacked : { countdown, onTime, process, cpu, battery, placeholder })
        stacked->setAutoFillBackground(true);

    auto* action = group(set, "GroupBox4", m.GroupBox4, { 9, 140, 241, 57 });
    list(action, "ComboBox3", m.ComboBox3, { 12, 22, 217, 21 }, {});
}

void TForm1::buildActionOptions(QWidget* band)
{
    auto* options = group(band, "GroupBox3", model_.GroupBox3, { 9, 2, 241, 66 });
    check(options, "CheckBox1", model_.CheckBox1, { 12, 18, 220, 20 }, &TForm1Model::CheckBox1Click);
    check(options, "CheckBox2", model_.CheckBox2, { 12, 40, 220, 20 }, &TForm1Model::CheckBox2Click);
}

void TForm1::buildButtons(QWidget* band)
{
    onClick(button(band, "BitBtn2", model_.BitBtn2, { 9, 7, 80, 25 }), &TForm1Model::BitBtn2Click);
    onClick(button(band, "BitBtn4", model_.BitBtn4, { 9, 7, 80, 25 }), &TForm1Model::BitBtn4Click);
    // Now reports its own errors; whether it ran to its end matters only to the dialog.
    connect(static_cast<QPushButton*>(button(band, "BitBtn1", model_.BitBtn1, { 89, 7, 80, 25 })),
        &QPushButton::clicked, this, [this] { handle([this] { model_.BitBtn1Click(); }); });
    onClick(button(band, "BitBtn3", model_.BitBtn3, { 169, 7, 80, 25 }), &TForm1Model::BitBtn3Click);
}

void TForm1::onClick(QWidget* widget, void (TForm1Model::*click)())
{
    connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
        [this, click] { handle([this, click] { (model_.*click)(); }); });
}

void TForm1::buildTimers()
{
    // The monitor timers: the model says when they run, the view delivers their ticks.
    const auto timer = [this](const char* name, TTimer& model, void (TForm1Model::*tick)()) {
        auto* widget = new QTimer(this);
        widget->setObjectName(QLatin1String(name));
        connect(widget, &QTimer::timeout, this, [this, tick] { handle([this, tick] { (model_.*tick)(); }); });
        refreshers_.push_back([widget, &model] {
            if (widget->interval() != model.Interval)
                widget->setInterval(model.Interval);
            if (model.Enabled && !widget->isActive())
                widget->start();
            else if (!model.Enabled && widget->isActive())
                widget->stop();
        });
    };
    timer("Timer1", model_.Timer1, &TForm1Model::Timer1Timer);
    timer("Timer2", model_.Timer2, &TForm1Model::Timer2Timer);
}

void TForm1::buildProgress(QWidget* band, bool network)
{
    auto& m = model_;
    const QPoint at { 3, 4 };
    // The network twins carry the names of the local controls with an "x" at the end.
    const auto named = [network](const char* name) { return std::string(name) + (network ? "x" : ""); };

    auto* countdown = panel(band, named("Panelcountdwn").c_str(), network ? m.Panelcountdwnx : m.Panelcountdwn, at,
        QStringLiteral("Countdown progress"));
    text(countdown, QStringLiteral("Time Left :"), { 6, 2, 60, 16 });
    label(countdown, named("timeleft").c_str(), network ? m.timeleftx : m.timeleft, { 68, 2, 180, 16 });
    label(countdown, named("timelefth").c_str(), network ? m.timelefthx : m.timelefth, { 200, 2, 50, 16 });
    auto* track = panel(countdown, network ? "Panel15" : "Panel16", network ? m.Panel15 : m.Panel16, { 6, 21 },
        QStringLiteral("Track"));
    track->setStyleSheet(QStringLiteral("background: black;"));
    auto* bar = panel(countdown, named("Paneltimeleft").c_str(), network ? m.Paneltimeleftx : m.Paneltimeleft,
        { 6, 21 }, QStringLiteral("Time left"));
    bar->setStyleSheet(QStringLiteral("background: red;"));
    bar->raise();

    auto* onTime = panel(band, named("Panelontime").c_str(), network ? m.Panelontimex : m.Panelontime, at,
        QStringLiteral("On Time progress"));
    text(onTime, QStringLiteral("Time (Scheduled) :"), { 6, 1, 100, 15 });
    label(onTime, named("timescedule").c_str(), network ? m.timescedulex : m.timescedule, { 110, 1, 138, 15 });
    text(onTime, QStringLiteral("Time (Now) : "), { 6, 16, 100, 15 });
    label(onTime, named("timesceduleh").c_str(), network ? m.timescedulehx : m.timesceduleh, { 110, 16, 138, 15 });

    auto* process = panel(band, named("Panelprocess").c_str(), network ? m.Panelprocessx : m.Panelprocess, at,
        QStringLiteral("On Process Stops progress"));
    text(process, QStringLiteral("Detecting Process :"), { 6, 8, 104, 16 });
    label(process, named("processnow").c_str(), network ? m.processnowx : m.processnow, { 112, 8, 136, 16 });

    auto* cpu = panel(band, named("Panelcpu").c_str(), network ? m.Panelcpux : m.Panelcpu, at,
        QStringLiteral("Low CPU Usage progress"));
    text(cpu, QStringLiteral("Percent Usage :"), { 6, 1, 86, 15 });
    label(cpu, named("cpuusage").c_str(), network ? m.cpuusagex : m.cpuusage, { 94, 1, 80, 15 });
    text(cpu, QStringLiteral("Time : "), { 6, 16, 40, 15 });
    label(cpu, named("cputime").c_str(), network ? m.cputimex : m.cputime, { 48, 16, 40, 15 });
    text(cpu, QStringLiteral("second"), { 90, 16, 50, 15 });
    edit(cpu, named("cpuusagedt").c_str(), network ? m.cpuusagedtx : m.cpuusagedt, { 180, 4, 60, 21 },
        QStringLiteral("Last CPU usage sample"));

    auto* battery = panel(band, named("Panelbattlife").c_str(), network ? m.Panelbattlifex : m.Panelbattlife, at,
        QStringLiteral("Battery Low progress"));
    text(battery, QStringLiteral("Battery Life : "), { 6, 8, 76, 16 });
    label(battery, named("battlife").c_str(), network ? m.battlifex : m.battlife, { 84, 8, 80, 16 });
    label(battery, named("battlifeh").c_str(), network ? m.battlifehx : m.battlifeh, { 170, 8, 70, 16 });
    for (auto* display : { countdown, onTime, process, cpu, battery })
        display->setAutoFillBackground(true);
}

void TForm1::buildTrayMenu()
{
    popupMenu1_ = new QMenu(this);
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    auto* style = new MenuPictureStyle;
    style->setParent(popupMenu1_);
    popupMenu1_->setStyle(style);
    connect(popupMenu1_, &QMenu::aboutToShow, this, [this] { handle([this] { model_.PopupMenu1Popup(); }); });

    struct Item {
        const char* name;
        TMenuItem& model;
        const char* picture;
        void (TForm1Model::*click)();
    };
    auto& m = model_;
    const Item items[] = {
        { "ExitVespern1", m.ExitVespern1, "menu-exit", &TForm1Model::ExitVespern1Click },
        { "Help1", m.Help1, "menu-help", &TForm1Model::Help1Click },
        { "N2", m.N2, nullptr, nullptr },
        { "ShowWindows1", m.ShowWindows1, nullptr, &TForm1Model::ShowWindows1Click },
        { "N1", m.N1, nullptr, nullptr },
        { "Forced1", m.Forced1, nullptr, &TForm1Model::Forced1Click },
        { "ShowMessage1", m.ShowMessage1, nullptr, &TForm1Model::ShowMessage1Click },
        { "N3", m.N3, nullptr, nullptr },
        { "Shutdown1", m.Shutdown1, "menu-shutdown", &TForm1Model::Shutdown1Click },
        { "Reboot1", m.Reboot1, "menu-reboot", &TForm1Model::Reboot1Click },
        { "LogOff1", m.LogOff1, "menu-logoff", &TForm1Model::LogOff1Click },
        { "StandBy1", m.StandBy1, "menu-standby", &TForm1Model::StandBy1Click },
        { "Hibernate1", m.Hibernate1, "menu-hibernate", &TForm1Model::Hibernate1Click },
        { "HangUp1", m.HangUp1, "menu-hangup", &TForm1Model::HangUp1Click },
        { "LockSwitchUser1", m.LockSwitchUser1, "menu-lock", &TForm1Model::LockSwitchUser1Click },
        { "urnMonitorOff1", m.urnMonitorOff1, "menu-monitoroff", &TForm1Model::urnMonitorOff1Click },
        { "ShowScreensaver1", m.ShowScreensaver1, "menu-screensaver", &TForm1Model::ShowScreensaver1Click },
    };
    for (const auto& item : items) {
        QAction* action
            = item.model.IsSeparator ? popupMenu1_->addSeparator() : popupMenu1_->addAction(qs(item.model.Caption));
        action->setObjectName(QLatin1String(item.name));
        if (item.picture != nullptr)
            action->setIcon(QIcon(QStringLiteral(":/vespern/%1.png").arg(QLatin1String(item.picture))));
        action->setCheckable(item.model.AutoCheck);
        if (item.click == nullptr)
            continue;
        auto& model = item.model;
        // An auto-check item has toggled its mark before its handler runs.
        connect(action, &QAction::triggered, this, [this, &model, click = item.click](bool checked) {
            handle([this, &model, click, checked] {
                if (model.AutoCheck)
                    model.Checked = checked;
                (model_.*click)();
            });
        });
        refreshers_.push_back([action, &model] {
            const QSignalBlocker blocker(action);
            action->setVisible(model.Visible);
            action->setEnabled(model.Enabled);
            action->setChecked(model.Checked);
        });
    }
}

void TForm1::Refresh()
{
    for (const auto& refresh : refreshers_)
        refresh();
    applyShowRequests();
    if (!model_.Visible && isVisible())
        hide();
}

void TForm1::applyShowRequests()
{
    if (model_.MainWindowShow.Count != appliedMainShow_) {
        appliedMainShow_ = model_.MainWindowShow.Count;
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        show();
        raise();
        activateWindow();
    }
    const auto showDialog = [this](const char* name, unsigned count, unsigned& applied) {
        if (count == applied)
            return;
        applied = count;
        if (auto* dialog = findChild<QWidget*>(QLatin1String(name), Qt::FindDirectChildrenOnly)) {
            dialog->show();
            dialog->raise();
            dialog->activateWindow();
        }
    };
    showDialog("Form2", model_.Form2Show.Count, appliedForm2Show_);
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!centred_) {
        centred_ = true;
        if (const auto* display = screen())
            move(display->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    if (event->spontaneous() || model_.Visible)
        return;
    model_.Visible = true;
    handle([this] { model_.FormShow(); });
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // Closing the main window ends the program.
    handle([this] { model_.Close(); });
    event->accept();
}

void TForm1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized())
        return;
    // Hiding inside the state change confuses some window managers: hide once it is done, and
    // only if the window is still minimised by then.
    QTimer::singleShot(0, this, [this] {
        if (isMinimized())
            handle([this] { model_.FormMinimized(); });
    });
}

} // namespace vespern::ui
