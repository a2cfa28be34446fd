#include "Unit1.h"

#include "components/Accessibility.h"
#include "components/DateTimePickerExUnit.h"
#include "components/JpegDecoder.h"
#include "components/LinkLabel.h"
#include "components/Panel.h"
#include "components/Pictures.h"
#include "components/WindowFont.h"

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

#include <algorithm>
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

std::string local(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

// Light blue: at least 4.5:1 against every pixel of the banner under the links.
const QColor LinkColour(0xA8, 0xD4, 0xFF);

void applyControl(QWidget* widget, const TControl& control, bool visible)
{
    widget->setVisible(visible);
    widget->setEnabled(control.Enabled);
    widget->setToolTip(qs(control.Hint));
}

void applyControl(QWidget* widget, const TControl& control)
{
    applyControl(widget, control, control.Visible);
}

// Draws each menu picture at its own size, up to the 40-pixel action pictures, and the check items
// as check boxes, empty while unticked, so that they read as check items before they are ticked.
class MenuPictureStyle final : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_SmallIconSize)
            return 40;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    void drawControl(
        ControlElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const override
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element != CE_MenuItem || item == nullptr || item->checkType != QStyleOptionMenuItem::NonExclusive) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        QStyleOptionMenuItem unmarked(*item);
        unmarked.checked = false;
        QProxyStyle::drawControl(element, &unmarked, painter, widget);
        QStyleOptionButton box;
        box.QStyleOption::operator=(*option);
        box.state = (option->state & State_Enabled) | (item->checked ? State_On : State_Off);
        const int size = QProxyStyle::pixelMetric(PM_IndicatorWidth, option, widget);
        // Centred in the picture column, where the pictures of the other items stand.
        const int column = std::max(item->maxIconWidth, size);
        const int margin = QProxyStyle::pixelMetric(PM_MenuHMargin, option, widget) + 3;
        box.rect = QRect(
            option->rect.left() + margin + (column - size) / 2, option->rect.center().y() - size / 2, size, size);
        QProxyStyle::drawPrimitive(PE_IndicatorCheckBox, &box, painter, widget);
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
    const QImage view(
        image.pixels.data(), image.width, image.height, qsizetype { image.width } * 3, QImage::Format_RGB888);
    return QPixmap::fromImage(view.copy());
}

void setFontSize(QWidget* widget, int points)
{
    QFont font = widget->font();
    if (font.pointSize() == points)
        return;
    font.setPointSize(points);
    widget->setFont(font);
}

} // namespace

TForm1::TForm1(TForm1Model& model, UiEvents& events)
    : QWidget(nullptr,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , model_(model)
    , events_(events)
{
    initialiseResources();
    InstallAccessibility();
    SetAccessibleRole(this, QAccessible::Window);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(qs(model_.Caption));
    setFont(WindowFont());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    buildBanner(band("Panel22", model_.Panel22));
    buildTargetSelector(band("Panel3", model_.Panel3));
    auto* middle = band("Panel9", model_.Panel9);
    const auto local = model_.ModeControls(TargetMode::LocalComputer);
    const auto network = model_.ModeControls(TargetMode::NetworkComputer);
    for (const auto& mode : { local, network }) {
        auto* set = panel(middle, mode.Set.Name, mode.Set.Model, { 0, 0 });
        if (mode.Mode == TargetMode::LocalComputer)
            buildLocalComputer(set);
        else
            buildNetworkComputer(set);
        buildEventSet(set, mode);
    }
    buildActionOptions(band("Panel7", model_.Panel7));
    buildButtons(band("Panel2", model_.Panel2));
    // The network computer's progress stands above the local computer's.
    for (const auto& mode : { network, local })
        buildProgress(band(mode.Progress.Name, mode.Progress.Model), mode);

    buildTrayMenu();
    trayIcon_ = std::make_unique<TTrayIcon>(
        model_.TrayIcon1, [this](const std::function<void()>& handler) { handle(handler); }, this);
    trayIcon_->SetPopupMenu(popupMenu1_);

    events_.AddView(this, [this] { Refresh(); });
}

TForm1::~TForm1()
{
    events_.RemoveView(this);
    // The controls go while the window is whole: a control that loses the focus on its way out
    // still ends its editing through the window. The dialogs it owns are not its controls.
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!child->isWindow())
            delete child;
}

void TForm1::handle(const std::function<void()>& handler)
{
    events_.Handle(handler);
}

Panel* TForm1::band(const char* name, TPanel& model)
{
    auto* widget = panel(this, name, model, { 0, 0 });
    widget->setFixedSize(model.Width, model.Height);
    layout()->addWidget(widget);
    return widget;
}

Panel* TForm1::panel(QWidget* parent, const char* name, TPanel& model, QPoint at)
{
    auto* widget = new Panel(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(at.x(), at.y(), model.Width, model.Height);
    refreshers_.push_back([this, widget, &model] {
        applyControl(widget, model, model.Visible && !stacks_.Covered(model));
        widget->SetCaption(qs(model.Caption));
        widget->resize(std::max(model.Width, 0), model.Height);
    });
    return widget;
}

QGroupBox* TForm1::group(QWidget* parent, const char* name, TGroupBox& model, QRect geometry)
{
    auto* widget = new QGroupBox(qs(model.Caption), parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    refreshers_.push_back([widget, &model] { applyControl(widget, model); });
    return widget;
}

// A label is read by its text (the computer name, a remaining time); its hint describes it.
QLabel* TForm1::label(QWidget* parent, const char* name, TLabel& model, QRect geometry)
{
    auto* widget = new QLabel(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    refreshers_.push_back([widget, &model] {
        applyControl(widget, model);
        widget->setText(qs(model.Caption));
        setFontSize(widget, model.FontSize);
    });
    return widget;
}

QLabel* TForm1::text(QWidget* parent, const QString& caption, QRect geometry)
{
    auto* widget = new QLabel(caption, parent);
    widget->setGeometry(geometry);
    return widget;
}

QWidget* TForm1::spin(QWidget* parent, const TNamed<TSpinEdit>& named, QRect geometry, const QString& accessibleName)
{
    auto& model = named.Model;
    auto* widget = new QSpinBox(parent);
    widget->setObjectName(QLatin1String(named.Name));
    widget->setAccessibleName(accessibleName);
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
    return widget;
}

QComboBox* TForm1::list(QWidget* parent, const char* name, TComboBox& model, QRect geometry,
    const QString& accessibleName, const std::function<void()>& change)
{
    auto* widget = new QComboBox(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setEditable(true);
    widget->setInsertPolicy(QComboBox::NoInsert);
    widget->setGeometry(geometry);
    widget->setAccessibleName(accessibleName);
    widget->lineEdit()->setAccessibleName(accessibleName);
    // The change handler follows the selection, however it was made (a pick, the arrow keys,
    // assistive technology): not typing, and not a pick of the item already chosen (the process
    // list would be filled once more at each).
    connect(widget, &QComboBox::currentIndexChanged, this, [this, widget, &model, change](int index) {
        handle([&model, index, text = local(widget->currentText()), change] {
            if (model.Select(index, text) && change)
                change();
        });
    });
    connect(widget, &QComboBox::editTextChanged, this, [this, widget, &model](const QString& text) {
        // A new selection writes its text first; the selection's own signal follows with both.
        if (widget->currentIndex() != model.ItemIndex)
            return;
        handle([&model, text = local(text)] { model.Text = text; });
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

// Bound to the state, not to clicks: the Toggle action of assistive technology and the keyboard
// change it without a click. The model's setter runs the click handler when the state changes.
void TForm1::check(
    QWidget* parent, const char* name, TCheckBox& model, QRect geometry, void (TForm1Model::*setChecked)(bool))
{
    auto* widget = new QCheckBox(qs(model.Caption), parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    FitCaption(widget);
    connect(widget, &QCheckBox::toggled, this,
        [this, setChecked](bool checked) { handle([this, setChecked, checked] { (model_.*setChecked)(checked); }); });
    refreshers_.push_back([widget, &model] {
        const QSignalBlocker blocker(widget);
        applyControl(widget, model);
        widget->setChecked(model.Checked);
    });
}

QPushButton* TForm1::button(QWidget* parent, const char* name, TButton& model, QRect geometry, const char* picture)
{
    auto* widget = new QPushButton(ProgramPicture(picture), qs(model.Caption), parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    refreshers_.push_back([widget, &model] {
        applyControl(widget, model);
        widget->setText(qs(model.Caption));
    });
    return widget;
}

void TForm1::edit(QWidget* parent, const char* name, TEdit& model, QRect geometry, const QString& accessibleName)
{
    auto* widget = new QLineEdit(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(accessibleName);
    widget->setGeometry(geometry);
    // Every change of the text, typed, pasted, composed by an input method or set as a whole.
    connect(widget, &QLineEdit::textChanged, this,
        [this, &model](const QString& text) { handle([&model, text = local(text)] { model.Text = text; }); });
    refreshers_.push_back([widget, &model] {
        const QSignalBlocker blocker(widget);
        applyControl(widget, model);
        widget->setReadOnly(model.ReadOnly);
        if (widget->text() != qs(model.Text))
            widget->setText(qs(model.Text));
    });
}

QWidget* TForm1::picker(QWidget* parent, const char* name, vespern::TDateTimePickerEx& model, QRect geometry)
{
    auto* widget = new ui::TDateTimePickerEx(
        model, model_.Times(), [this](const std::function<void()>& handler) { handle(handler); }, parent);
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(QStringLiteral("Time of day"));
    pickers_.push_back(widget);
    widget->setGeometry(geometry);
    refreshers_.push_back([widget, &model] {
        applyControl(widget, model);
        widget->Refresh();
    });
    return widget;
}

void TForm1::buildBanner(QWidget* band)
{
    auto* image = new QLabel(band);
    image->setObjectName(QStringLiteral("Image1"));
    MarkDecorative(image);
    image->setScaledContents(true);
    image->setPixmap(bannerPicture());
    image->setGeometry(0, 0, model_.Image1.Width, model_.Image1.Height);
    refreshers_.push_back([image, this] { applyControl(image, model_.Image1); });

    const auto link = [this, band](const char* name, TLabel& model, QRect geometry, void (TForm1Model::*move)(),
                          void (TForm1Model::*leave)(), void (TForm1Model::*click)()) {
        auto* widget = new LinkLabel(band);
        widget->setObjectName(QLatin1String(name));
        widget->setGeometry(geometry);
        widget->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, LinkColour);
        widget->setPalette(palette);
        widget->onMove = [this, move] { handle([this, move] { (model_.*move)(); }); };
        widget->onLeave = [this, leave] { handle([this, leave] { (model_.*leave)(); }); };
        widget->onClick = [this, click] { handle([this, click] { (model_.*click)(); }); };
        refreshers_.push_back([widget, &model] {
            applyControl(widget, model);
            widget->setText(qs(model.Caption));
            setFontSize(widget, model.FontSize);
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
    widget->setGeometry(9, 2, 241, 46);
    std::vector<QRadioButton*> buttons;
    for (std::size_t i = 0; i < model.Items.size(); ++i) {
        auto* radio = new QRadioButton(qs(model.Items[i]), widget);
        radio->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
        radio->setGeometry(8 + static_cast<int>(i) * 108, 20, i == 0 ? 106 : 124, 20);
        FitCaption(radio);
        // The item that becomes selected, by a click, the arrow keys or assistive technology.
        connect(radio, &QRadioButton::toggled, this, [this, i](bool checked) {
            if (!checked)
                return;
            handle([this, i] { model_.SelectRadioGroup1Item(static_cast<int>(i)); });
        });
        buttons.push_back(radio);
    }
    refreshers_.push_back([widget, buttons, &model] {
        applyControl(widget, model);
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            const QSignalBlocker blocker(buttons[i]);
            const bool selected = static_cast<int>(i) == model.ItemIndex;
            buttons[i]->setToolTip(qs(model.Hint));
            buttons[i]->setChecked(selected);
            // Tab enters the group at its selected item; the arrow keys move within it.
            buttons[i]->setFocusPolicy(selected ? Qt::StrongFocus : Qt::ClickFocus);
        }
    });
}

void TForm1::buildLocalComputer(QWidget* set)
{
    auto* name = group(set, "GroupBox7", model_.GroupBox7, { 9, 2, 241, 47 });
    auto* computer = label(name, "Label3", model_.Label3, { 8, 18, 225, 20 });
    computer->setAlignment(Qt::AlignCenter);
    QFont bold = computer->font();
    bold.setBold(true);
    computer->setFont(bold);
    computer->setStyleSheet(QStringLiteral("color: blue;"));
}

void TForm1::buildNetworkComputer(QWidget* set)
{
    auto* client = group(set, "GroupBox6", model_.GroupBox6, { 9, 2, 241, 47 });
    edit(client, "Edit1", model_.Edit1, { 10, 18, 140, 21 }, QStringLiteral("Client computer name"));
    onClick(
        button(client, "BitBtn5", model_.BitBtn5, { 156, 16, 76, 25 }, "button-browse"), &TForm1Model::BitBtn5Click);
}

void TForm1::buildEventSet(QWidget* set, const TForm1ModeControls& c)
{
    auto* event = group(set, c.EventGroup.Name, c.EventGroup.Model, { 9, 52, 241, 83 });
    list(event, c.EventList.Name, c.EventList.Model, { 12, 18, 217, 21 }, QStringLiteral("Event"),
        [this, mode = c.Mode] { model_.EventListChange(mode); });
    const QPoint settings { 12, 46 };
    const auto settingsPanel = [&](EventKind kind) {
        const auto& named = c.Settings[static_cast<std::size_t>(kind)];
        return panel(event, named.Name, named.Model, settings);
    };
    auto* countdown = settingsPanel(EventKind::Countdown);
    text(countdown, QStringLiteral("Set Timer"), { 4, 6, 60, 18 })
        ->setBuddy(spin(countdown, c.Minutes, { 66, 4, 80, 21 }, QStringLiteral("Countdown minutes")));
    text(countdown, QStringLiteral("Minutes"), { 152, 6, 60, 18 });
    auto* onTime = settingsPanel(EventKind::OnTime);
    text(onTime, QStringLiteral("On Time : "), { 4, 6, 60, 18 })
        ->setBuddy(picker(onTime, c.Time.Name, c.Time.Model, { 66, 4, 137, 21 }));
    auto* process = settingsPanel(EventKind::OnProcessStops);
    text(process, QStringLiteral("Proccess :"), { 4, 6, 60, 18 })
        ->setBuddy(list(
            process, c.ProcessList.Name, c.ProcessList.Model, { 66, 4, 148, 21 }, QStringLiteral("Process name"), {}));
    auto* cpu = settingsPanel(EventKind::LowCpuUsage);
    text(cpu, QStringLiteral("Below"), { 4, 6, 34, 18 })
        ->setBuddy(spin(cpu, c.CpuPercent, { 40, 4, 50, 21 }, QStringLiteral("CPU usage below, percent")));
    text(cpu, QStringLiteral("%    For"), { 94, 6, 46, 18 })
        ->setBuddy(spin(cpu, c.CpuSeconds, { 142, 4, 50, 21 }, QStringLiteral("For how many seconds")));
    text(cpu, QStringLiteral("s"), { 198, 6, 14, 18 });
    auto* battery = settingsPanel(EventKind::BatteryLow);
    text(battery, QStringLiteral("Below"), { 4, 6, 34, 18 })
        ->setBuddy(spin(battery, c.BatteryPercent, { 40, 4, 50, 21 }, QStringLiteral("Battery life below, percent")));
    text(battery, QStringLiteral("%"), { 94, 6, 14, 18 });
    auto* placeholder = panel(event, c.Placeholder.Name, c.Placeholder.Model, settings);
    // The local placeholder says it with a label, the network one with its raised caption.
    if (c.Mode == TargetMode::LocalComputer)
        label(placeholder, "Label30", model_.Label30, { 0, 0, 217, 30 })->setAlignment(Qt::AlignCenter);
    else
        placeholder->setFrameStyle(QFrame::Panel | QFrame::Raised);
    // Filled backgrounds, so the panel on top hides the ones below as stacked panels do.
    for (auto* stacked : { countdown, onTime, process, cpu, battery, placeholder })
        stacked->setAutoFillBackground(true);
    std::vector<const TPanel*> stack;
    for (const auto& named : c.Settings)
        stack.push_back(&named.Model);
    stack.push_back(&c.Placeholder.Model);
    stacks_.Add(std::move(stack));

    auto* action = group(set, c.ActionGroup.Name, c.ActionGroup.Model, { 9, 140, 241, 57 });
    list(action, c.ActionList.Name, c.ActionList.Model, { 12, 22, 217, 21 }, QStringLiteral("Action"), {});
}

void TForm1::buildActionOptions(QWidget* band)
{
    auto* options = group(band, "GroupBox3", model_.GroupBox3, { 9, 2, 241, 66 });
    check(options, "CheckBox1", model_.CheckBox1, { 12, 18, 220, 20 }, &TForm1Model::SetCheckBox1Checked);
    check(options, "CheckBox2", model_.CheckBox2, { 12, 40, 220, 20 }, &TForm1Model::SetCheckBox2Checked);
}

void TForm1::buildButtons(QWidget* band)
{
    start_ = button(band, "BitBtn2", model_.BitBtn2, { 9, 7, 80, 25 }, "button-start");
    onClick(start_, &TForm1Model::BitBtn2Click);
    stop_ = button(band, "BitBtn4", model_.BitBtn4, { 9, 7, 80, 25 }, "button-stop");
    onClick(stop_, &TForm1Model::BitBtn4Click);
    // Now reports its own errors; whether it ran to its end matters only to the dialog.
    connect(
        button(band, "BitBtn1", model_.BitBtn1, { 89, 7, 80, 25 }, "button-now"), &QPushButton::clicked, this, [this] {
            if (commitTypedTimes())
                handle([this] { model_.BitBtn1Click(); });
        });
    onClick(button(band, "BitBtn3", model_.BitBtn3, { 169, 7, 80, 25 }, "button-option"), &TForm1Model::BitBtn3Click);
}

void TForm1::onClick(QPushButton* widget, void (TForm1Model::*click)())
{
    connect(widget, &QPushButton::clicked, this, [this, click] {
        if (commitTypedTimes())
            handle([this, click] { (model_.*click)(); });
    });
}

bool TForm1::commitTypedTimes()
{
    return std::all_of(pickers_.begin(), pickers_.end(),
        [](ui::TDateTimePickerEx* picker) { return !picker->hasFocus() || picker->CommitText(); });
}

void TForm1::buildProgress(QWidget* band, const TForm1ModeControls& c)
{
    const QPoint at { 3, 4 };
    const auto display = [&](EventKind kind) {
        const auto& named = c.Displays[static_cast<std::size_t>(kind)];
        return panel(band, named.Name, named.Model, at);
    };
    const auto show = [this](QWidget* parent, const TNamed<TLabel>& named, QRect geometry) {
        return label(parent, named.Name, named.Model, geometry);
    };
    auto* countdown = display(EventKind::Countdown);
    text(countdown, QStringLiteral("Time Left :"), { 6, 2, 60, 16 });
    show(countdown, c.TimeLeft, { 68, 2, 180, 16 });
    show(countdown, c.MinutesLeft, { 200, 2, 50, 16 });
    // The bar repeats what the text says: a picture for the eye only.
    auto* track = panel(countdown, c.Track.Name, c.Track.Model, { 6, 21 });
    track->setStyleSheet(QStringLiteral("background: black;"));
    auto* bar = panel(countdown, c.Bar.Name, c.Bar.Model, { 6, 21 });
    bar->setStyleSheet(QStringLiteral("background: red;"));
    bar->raise();
    MarkDecorative(track);
    MarkDecorative(bar);

    auto* onTime = display(EventKind::OnTime);
    text(onTime, QStringLiteral("Time (Scheduled) :"), { 6, 1, 100, 15 });
    show(onTime, c.Scheduled, { 110, 1, 138, 15 });
    text(onTime, QStringLiteral("Time (Now) : "), { 6, 16, 100, 15 });
    show(onTime, c.NowText, { 110, 16, 138, 15 });

    auto* process = display(EventKind::OnProcessStops);
    text(process, QStringLiteral("Detecting Process :"), { 6, 8, 104, 16 });
    show(process, c.ProcessName, { 112, 8, 136, 16 });

    auto* cpu = display(EventKind::LowCpuUsage);
    text(cpu, QStringLiteral("Percent Usage :"), { 6, 1, 86, 15 });
    show(cpu, c.CpuUsage, { 94, 1, 80, 15 });
    text(cpu, QStringLiteral("Time : "), { 6, 16, 40, 15 });
    show(cpu, c.CpuTime, { 48, 16, 40, 15 });
    text(cpu, QStringLiteral("second"), { 90, 16, 50, 15 });
    edit(cpu, c.CpuSample.Name, c.CpuSample.Model, { 180, 4, 60, 21 }, QStringLiteral("Last CPU usage sample"));

    auto* battery = display(EventKind::BatteryLow);
    text(battery, QStringLiteral("Battery Life : "), { 6, 8, 76, 16 });
    show(battery, c.BatteryLife, { 84, 8, 80, 16 });
    show(battery, c.BatteryPercentLeft, { 170, 8, 70, 16 });
    std::vector<const TPanel*> stack;
    for (auto* shown : { countdown, onTime, process, cpu, battery })
        shown->setAutoFillBackground(true);
    for (const auto& named : c.Displays)
        stack.push_back(&named.Model);
    stacks_.Add(std::move(stack));
}

void TForm1::buildTrayMenu()
{
    popupMenu1_ = new QMenu(this);
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    auto* style = new MenuPictureStyle;
    style->setParent(popupMenu1_);
    popupMenu1_->setStyle(style);

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
            action->setIcon(ProgramPicture(item.picture));
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
    passFocusToReplacement();
    for (const auto& refresh : refreshers_)
        refresh();
    applyShowRequests();
    if (!model_.Visible && isVisible())
        hide();
}

// Start and Stop stand at one place and take turns. The focus goes with them, before the focused
// one hides (which would hand the focus to the next control, Now): a second press of the same key
// then undoes the first instead of running the action.
void TForm1::passFocusToReplacement()
{
    QWidget* focused = focusWidget();
    const auto pass = [focused](QPushButton* from, const TButton& fromModel, QPushButton* to, const TButton& toModel) {
        if (focused != from || fromModel.Visible || !toModel.Visible)
            return;
        to->setVisible(true);
        to->setEnabled(toModel.Enabled);
        to->setFocus(Qt::OtherFocusReason);
    };
    pass(start_, model_.BitBtn2, stop_, model_.BitBtn4);
    pass(stop_, model_.BitBtn4, start_, model_.BitBtn2);
}

void TForm1::applyShowRequests()
{
    if (mainWindowShows_.Take(model_.MainWindowShow.Count)) {
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        show();
        raise();
        activateWindow();
    }
    // A dialog that is not showing yet is shown by its own view, at its own place.
    const auto showDialog = [this](const char* name, unsigned count, AppliedCount& applied) {
        if (!applied.Take(count))
            return;
        auto* dialog = findChild<QWidget*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
        if (dialog == nullptr || !dialog->isVisible())
            return;
        dialog->raise();
        dialog->activateWindow();
    };
    showDialog("Form2", model_.Form2Show.Count, form2Shows_);
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
