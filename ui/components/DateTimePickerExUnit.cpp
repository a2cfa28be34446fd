#include "DateTimePickerExUnit.h"

#include "core/VespernError.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

#include <cmath>

namespace vespern::ui {

namespace {

constexpr int SecondsPerDay = 24 * 60 * 60;

QTime timeOfDay(double dateTime)
{
    const double fraction = dateTime - std::floor(dateTime);
    const int seconds = static_cast<int>(std::lround(fraction * SecondsPerDay)) % SecondsPerDay;
    return QTime(0, 0).addSecs(seconds);
}

} // namespace

TDateTimePickerEx::TDateTimePickerEx(
    vespern::TDateTimePickerEx& model, const std::string& timePicture, Dispatch dispatch, QWidget* parent)
    : QTimeEdit(parent)
    , model_(model)
    , dispatch_(std::move(dispatch))
{
    // The window's definition assigns the format while it is being built: it is only stored.
    SetFormatString(model_.FormatString);
    setDisplayFormat(QtFormat(timePicture));
    setCalendarPopup(false);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setWrapping(true);
    nativeCreated_ = true;
    Refresh();
    connect(this, &QTimeEdit::timeChanged, this, [this](const QTime& time) { storeTime(time); });
}

void TDateTimePickerEx::SetFormatString(const std::string& format)
{
    if (nativeCreated_) {
        const QString previous = displayFormat();
        const QString wanted = QtFormat(format);
        setDisplayFormat(wanted);
        if (displayFormat() != wanted) {
            setDisplayFormat(previous);
            return;
        }
    }
    model_.FormatString = format;
}

void TDateTimePickerEx::Refresh()
{
    const QTime shown = timeOfDay(model_.DateTime);
    if (shown != time()) {
        const QSignalBlocker blocker(this);
        setTime(shown);
    }
}

QString TDateTimePickerEx::QtFormat(const std::string& picture)
{
    QString format;
    for (std::size_t i = 0; i < picture.size();) {
        const char letter = picture[i];
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == letter)
            ++run;
        if (letter == '\'') {
            // A quoted literal passes through with its quotes; both languages write them alike.
            const auto end = picture.find('\'', i + 1);
            const auto stop = end == std::string::npos ? picture.size() : end + 1;
            format += QString::fromLocal8Bit(picture.substr(i, stop - i));
            i = stop;
            continue;
        }
        if (letter == 't')
            format += run >= 2 ? QStringLiteral("AP") : QStringLiteral("A");
        else
            format += QString::fromLocal8Bit(picture.substr(i, run));
        i += run;
    }
    return format;
}

void TDateTimePickerEx::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        ReadTypedText(lineEdit()->text());
    QTimeEdit::keyPressEvent(event);
}

void TDateTimePickerEx::focusOutEvent(QFocusEvent* event)
{
    ReadTypedText(lineEdit()->text());
    QTimeEdit::focusOutEvent(event);
}

void TDateTimePickerEx::ReadTypedText(const QString& text)
{
    QTime typed = QTime::fromString(text, displayFormat());
    if (!typed.isValid())
        typed = QLocale().toTime(text, QLocale::LongFormat);
    if (!typed.isValid()) {
        const QSignalBlocker blocker(this);
        setTime(timeOfDay(model_.DateTime));
        lineEdit()->setText(textFromDateTime(dateTime()));
        dispatch_(
            [text] { throw VespernError("'" + text.toLocal8Bit().toStdString() + "' is not a valid date and time"); });
        return;
    }
    if (typed != time())
        setTime(typed);
}

void TDateTimePickerEx::storeTime(const QTime& time)
{
    dispatch_([this, time] {
        model_.DateTime
            = std::floor(model_.DateTime) + static_cast<double>(time.msecsSinceStartOfDay() / 1000) / SecondsPerDay;
    });
}

} // namespace vespern::ui
