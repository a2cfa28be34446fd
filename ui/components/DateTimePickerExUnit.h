#pragma once

#include "core/Controls.h"

#include <QTimeEdit>

#include <functional>
#include <string>

namespace vespern::ui {

// A time-of-day picker with up and down arrows and no calendar, showing the user's long time
// format. FormatString sets a custom display format; the value lives in the model as a
// date-time whose fraction is the time of day.
class TDateTimePickerEx final : public QTimeEdit {
    Q_OBJECT
public:
    using Dispatch = std::function<void(const std::function<void()>&)>;

    // timePicture: the user's long time format in the system's picture language ("HH:mm:ss",
    // "hh:mm:ss tt"). dispatch runs a change of the model as a user-interface event.
    TDateTimePickerEx(vespern::TDateTimePickerEx& model, const std::string& timePicture, Dispatch dispatch,
        QWidget* parent = nullptr);

    // Before the native control exists the format is only stored. Afterwards it is sent to the
    // control; a format the control refuses leaves the previous one showing and the property as it was.
    void SetFormatString(const std::string& format);
    const std::string& FormatString() const { return model_.FormatString; }

    // Shows the model's value.
    void Refresh();

    // Reads text typed into the field: text that reads as a time sets the time of day; other text
    // is an error of the running event, and the value stays.
    void ReadTypedText(const QString& text);

    // The display format for a picture of the system's picture language.
    static QString QtFormat(const std::string& picture);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void storeTime(const QTime& time);

    vespern::TDateTimePickerEx& model_;
    Dispatch dispatch_;
    bool nativeCreated_ = false;
};

} // namespace vespern::ui
