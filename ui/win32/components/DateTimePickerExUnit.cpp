#include "DateTimePickerExUnit.h"

#include "NativeWindow.h"

#include <commctrl.h>

namespace vespern::ui {

namespace {

void registerPickerClass()
{
    INITCOMMONCONTROLSEX classes {};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_DATE_CLASSES;
    ::InitCommonControlsEx(&classes);
}

TimeOfDay timeOf(const SYSTEMTIME& time)
{
    return { time.wHour, time.wMinute, time.wSecond };
}

} // namespace

TDateTimePickerEx::TDateTimePickerEx(
    vespern::TDateTimePickerEx& model, TimeText& times, Dispatch dispatch, HWND parent, RECT bounds, int id)
    : model_(model)
    , times_(times)
    , dispatch_(std::move(dispatch))
    , parent_(parent)
    , window_((registerPickerClass(),
          CreateControl(parent, DATETIMEPICK_CLASSA, model.Hint.c_str(),
              WS_VISIBLE | WS_TABSTOP | DTS_TIMEFORMAT | DTS_UPDOWN | DTS_APPCANPARSE, bounds, id)))
    , picture_(times.LongTimeFormat())
{
    // The design-time format was assigned before the control existed: it is only stored, and
    // the control shows the user's long time format.
    ::SendMessageA(window_, DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(picture_.c_str()));
    ::SetWindowSubclass(parent_, parentProcedure, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this));
    Refresh();
}

TDateTimePickerEx::~TDateTimePickerEx()
{
    ::RemoveWindowSubclass(parent_, parentProcedure, reinterpret_cast<UINT_PTR>(this));
    ::DestroyWindow(window_);
}

void TDateTimePickerEx::SetFormatString(const std::string& format)
{
    if (!IsTimePicture(format)
        || ::SendMessageA(window_, DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(format.c_str())) == FALSE)
        return;
    picture_ = format;
    model_.FormatString = format;
}

void TDateTimePickerEx::Refresh()
{
    if (model_.DateTime != shown_)
        showTime(PickerTime(model_));
    if ((::IsWindowEnabled(window_) != FALSE) != model_.Enabled)
        ::EnableWindow(window_, model_.Enabled ? TRUE : FALSE);
    const bool shown = (::GetWindowLongA(window_, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != model_.Visible)
        ::ShowWindow(window_, model_.Visible ? SW_SHOWNA : SW_HIDE);
}

void TDateTimePickerEx::showTime(TimeOfDay time)
{
    // Only the time shows; the date the control keeps is of no matter.
    SYSTEMTIME value {};
    value.wYear = 2000;
    value.wMonth = 1;
    value.wDay = 1;
    value.wHour = static_cast<WORD>(time.hour);
    value.wMinute = static_cast<WORD>(time.minute);
    value.wSecond = static_cast<WORD>(time.second);
    ::SendMessageA(window_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value));
    shown_ = model_.DateTime;
}

void TDateTimePickerEx::notified(LPARAM lParam)
{
    const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.code == DTN_DATETIMECHANGE) {
        const auto& change = reinterpret_cast<const NMDATETIMECHANGE&>(header);
        if (change.dwFlags != GDT_VALID || timeOf(change.st) == PickerTime(model_))
            return;
        const TimeOfDay time = timeOf(change.st);
        dispatch_([this, time] {
            SetPickerTime(model_, time);
            shown_ = model_.DateTime;
        });
        return;
    }
    if (header.code == DTN_USERSTRINGA) {
        auto& typed = *reinterpret_cast<NMDATETIMESTRINGA*>(lParam);
        const std::string text = typed.pszUserString != nullptr ? typed.pszUserString : "";
        // A text that does not read raises the core's error; the value stays.
        dispatch_([this, &text] { ReadPickerText(model_, times_, picture_, text); });
        const TimeOfDay time = PickerTime(model_);
        typed.dwFlags = GDT_VALID;
        typed.st = SYSTEMTIME { 2000, 1, 0, 1, static_cast<WORD>(time.hour), static_cast<WORD>(time.minute),
            static_cast<WORD>(time.second), 0 };
        shown_ = model_.DateTime;
    }
}

LRESULT CALLBACK TDateTimePickerEx::parentProcedure(
    HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self)
{
    auto* picker = reinterpret_cast<TDateTimePickerEx*>(self);
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header != nullptr && header->hwndFrom == picker->window_)
            picker->notified(lParam);
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

} // namespace vespern::ui
