#include "DateTimePickerExUnit.h"

#include <QLineEdit>

namespace vespern::ui {

namespace {

std::string local(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

} // namespace

TDateTimePickerEx::TDateTimePickerEx(
    vespern::TDateTimePickerEx& model, TimeText& times, Dispatch dispatch, QWidget* parent)
    : QAbstractSpinBox(parent)
    , model_(model)
    , times_(times)
    , dispatch_(std::move(dispatch))
    , picture_(times.LongTimeFormat())
{
    // The window's definition assigns the format while it is being built: it is only stored.
    SetFormatString(model_.FormatString);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setWrapping(true);
    setKeyboardTracking(true);
    nativeCreated_ = true;
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString& text) { textEdited(text); });
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] { CommitText(); });
    Refresh();
}

void TDateTimePickerEx::SetFormatString(const std::string& format)
{
    if (nativeCreated_) {
        if (!IsTimePicture(format))
            return;
        picture_ = format;
        showTime(PickerTime(model_));
    }
    model_.FormatString = format;
}

void TDateTimePickerEx::Refresh()
{
    if (model_.DateTime != shown_)
        showTime(PickerTime(model_));
}

QAbstractSpinBox::StepEnabled TDateTimePickerEx::stepEnabled() const
{
    return isReadOnly() ? StepNone : (StepUpEnabled | StepDownEnabled);
}

QValidator::State TDateTimePickerEx::validate(QString&, int&) const
{
    return QValidator::Acceptable;
}

void TDateTimePickerEx::fixup(QString&) const { }

void TDateTimePickerEx::stepBy(int steps)
{
    const TimeOfDay before = PickerTime(model_);
    const auto fields = times_.LayOut(picture_, before).fields;
    if (fields.empty())
        return;
    // The part under the cursor, or the one before it; the first when the cursor stands before all.
    const auto cursor = static_cast<std::size_t>(lineEdit()->cursorPosition());
    std::size_t index = 0;
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].begin <= cursor)
            index = i;
    const TimeOfDay after = StepTimeOfDay(before, fields[index].unit, steps);
    take(after);
    showTime(after);
    const auto shown = times_.LayOut(picture_, after).fields;
    if (index < shown.size())
        lineEdit()->setSelection(
            static_cast<int>(shown[index].begin), static_cast<int>(shown[index].end - shown[index].begin));
}

void TDateTimePickerEx::textEdited(const QString& text)
{
    if (writing_)
        return;
    // Whatever put the text there (typing, a paste, an input method, assistive technology), the
    // value follows it once it is a whole time; a time on its way ("2" of "21:30:00") is not one.
    const auto time = times_.Read(picture_, local(text), TimeReading::EveryField);
    if (time && *time != PickerTime(model_))
        take(*time);
}

bool TDateTimePickerEx::CommitText()
{
    // The error box takes the focus, which ends the editing once more: the text is read once.
    if (ending_)
        return false;
    const std::string text = local(lineEdit()->text());
    const auto time = times_.Read(picture_, text);
    bool read = time.has_value();
    if (time && *time != PickerTime(model_))
        take(*time);
    if (!time) {
        ending_ = true;
        dispatch_([this, text, &read] {
            ReadPickerText(model_, times_, picture_, text);
            read = true;
        });
        ending_ = false;
    }
    showTime(PickerTime(model_));
    return read;
}

void TDateTimePickerEx::take(TimeOfDay time)
{
    dispatch_([this, time] {
        SetPickerTime(model_, time);
        shown_ = model_.DateTime;
    });
}

void TDateTimePickerEx::showTime(TimeOfDay time)
{
    const QString text = QString::fromLocal8Bit(times_.LayOut(picture_, time).text);
    shown_ = model_.DateTime;
    if (lineEdit()->text() == text)
        return;
    writing_ = true;
    const int cursor = lineEdit()->cursorPosition();
    lineEdit()->setText(text);
    lineEdit()->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
    writing_ = false;
}

} // namespace vespern::ui
