#pragma once

#include "core/Controls.h"
#include "core/TimeText.h"

#include <QAbstractSpinBox>

#include <functional>
#include <string>

namespace vespern::ui {

// A time-of-day picker with up and down arrows and no calendar, showing the user's long time
// format. The arrows (and the Up and Down keys) step the part under the cursor; typed text is read
// as a whole, as soon as it reads and again when the editing ends (Enter, leaving the field), where
// text that does not read is answered with an error. FormatString sets a custom display format;
// the value lives in the model as a date-time whose fraction is the time of day.
class TDateTimePickerEx final : public QAbstractSpinBox {
    Q_OBJECT
public:
    using Dispatch = std::function<void(const std::function<void()>&)>;

    // times: the user's time format. dispatch runs a change of the model as a user-interface event.
    TDateTimePickerEx(vespern::TDateTimePickerEx& model, TimeText& times, Dispatch dispatch, QWidget* parent = nullptr);

    // Before the native control exists the format is only stored. Afterwards it is sent to the
    // control; a format the control refuses (one that is not a time picture) leaves the previous
    // one showing and the property as it was.
    void SetFormatString(const std::string& format);
    const std::string& FormatString() const { return model_.FormatString; }
    // The picture the field shows and reads.
    const std::string& DisplayPicture() const { return picture_; }

    // Shows the model's value when it changed since the field last showed or read it.
    void Refresh();
    // Reads the text as the end of the editing does; false when it did not read (the error has
    // been shown and the field shows the picker's time again). A button pressed without moving the
    // focus (assistive technology does that) reads the field first this way.
    bool CommitText();

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
    // Any text may be typed; it is read as a whole.
    QValidator::State validate(QString& input, int& position) const override;
    void fixup(QString& input) const override;

private:
    void textEdited(const QString& text);
    void take(TimeOfDay time);
    void showTime(TimeOfDay time);

    vespern::TDateTimePickerEx& model_;
    TimeText& times_;
    Dispatch dispatch_;
    std::string picture_;
    double shown_ = -1.0; // the model value the text shows or was read into
    bool writing_ = false;
    bool ending_ = false;
    bool nativeCreated_ = false;
};

} // namespace vespern::ui
