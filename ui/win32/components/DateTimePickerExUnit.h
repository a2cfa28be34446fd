#pragma once

#include "../WindowsApi.h"
#include "core/Controls.h"
#include "core/TimeText.h"

#include <functional>
#include <string>

namespace vespern::ui {

// A time-of-day picker over the system's date-time picker, with up and down arrows and no
// calendar, showing the user's long time format. Its change notifications (which the system
// sends to the parent window) are taken from the parent through a subclass of its own, so the
// parent needs to know nothing of them. Typed text (F2, or a click in the field) is read as a
// whole when the typing ends; text that does not read is answered with the core's error.
class TDateTimePickerEx {
public:
    using Dispatch = std::function<void(const std::function<void()>&)>;

    // times: the user's time format. dispatch runs a change of the model as a user-interface
    // event. bounds are in the parent's client pixels.
    TDateTimePickerEx(
        vespern::TDateTimePickerEx& model, TimeText& times, Dispatch dispatch, HWND parent, RECT bounds, int id);
    ~TDateTimePickerEx();
    TDateTimePickerEx(const TDateTimePickerEx&) = delete;
    TDateTimePickerEx& operator=(const TDateTimePickerEx&) = delete;

    HWND Handle() const { return window_; }
    // A format the control refuses (one that is not a time picture) leaves the previous one
    // showing and the property as it was.
    void SetFormatString(const std::string& format);
    // The picture the control shows and reads.
    const std::string& DisplayPicture() const { return picture_; }

    // Shows the model's value, enabled state and visibility when they changed.
    void Refresh();

private:
    static LRESULT CALLBACK parentProcedure(
        HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR identity, DWORD_PTR self);
    void notified(LPARAM notification);
    void showTime(TimeOfDay time);

    vespern::TDateTimePickerEx& model_;
    TimeText& times_;
    Dispatch dispatch_;
    HWND parent_;
    HWND window_;
    std::string picture_;
    double shown_ = -1.0; // the model value the control shows or was read into
};

} // namespace vespern::ui
