#include "core/TApplication.h"
#include "support/RecordingDialogs.h"
#include "support/ScriptedPlatform.h"
#include "ui/win32/components/DateTimePickerExUnit.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

namespace vespern::ui {
namespace {

class DateTimePickerExTest : public ::testing::Test {
protected:
    ~DateTimePickerExTest() override
    {
        picker.reset();
        ::DestroyWindow(parent);
    }

    void make(const std::string& format)
    {
        platform.script.timeFormat = format;
        picker = std::make_unique<TDateTimePickerEx>(
            model, times, [this](const std::function<void()>& handler) { application.Dispatch(handler); }, parent,
            RECT { 10, 10, 147, 31 }, 1010);
    }
    std::string shown()
    {
        std::array<char, 64> text {};
        ::GetWindowTextA(picker->Handle(), text.data(), static_cast<int>(text.size()));
        return text.data();
    }
    SYSTEMTIME controlTime()
    {
        SYSTEMTIME time {};
        ::SendMessageA(picker->Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
        return time;
    }
    // A notification of the control as the system sends it to the parent.
    void notify(NMHDR& header)
    {
        header.hwndFrom = picker->Handle();
        header.idFrom = 1010;
        ::SendMessageA(parent, WM_NOTIFY, 1010, reinterpret_cast<LPARAM>(&header));
    }

    test::ScriptedPlatform platform;
    TimeText times { platform };
    test::RecordingDialogs dialogs;
    TApplication application { dialogs };
    vespern::TDateTimePickerEx model;
    HWND parent = ::CreateWindowExA(
        0, "STATIC", "On Time", WS_OVERLAPPEDWINDOW, 50, 50, 300, 120, nullptr, nullptr, nullptr, nullptr);
    std::unique_ptr<TDateTimePickerEx> picker;
};

TEST_F(DateTimePickerExTest, ShowsTheModelTimeInTheLongTimeFormat)
{
    struct Case {
        const char* format;
        TimeOfDay time;
        const char* text;
    };
    for (const Case& c : { Case { "HH:mm:ss", { 13, 5, 9 }, "13:05:09" },
             Case { "h:mm:ss tt", { 13, 5, 9 }, "1:05:09 PM" }, Case { "HH:mm:ss", { 1, 0, 0 }, "01:00:00" } }) {
        SCOPED_TRACE(c.format);
        SetPickerTime(model, c.time);
        make(c.format);
        EXPECT_EQ(picker->DisplayPicture(), c.format);
        EXPECT_EQ(shown(), c.text);
        const SYSTEMTIME time = controlTime();
        EXPECT_EQ((TimeOfDay { time.wHour, time.wMinute, time.wSecond }), c.time);
    }
    const LONG style = ::GetWindowLongA(picker->Handle(), GWL_STYLE);
    EXPECT_EQ(style & (DTS_TIMEFORMAT | DTS_UPDOWN | WS_TABSTOP), DTS_TIMEFORMAT | DTS_UPDOWN | WS_TABSTOP);
}

TEST_F(DateTimePickerExTest, ControlChangesReachTheModelAndRefreshShowsTheModel)
{
    make("HH:mm:ss");
    // The change the control tells its parent when the user steps or edits a part.
    NMDATETIMECHANGE change {};
    change.nmhdr.code = DTN_DATETIMECHANGE;
    change.dwFlags = GDT_VALID;
    change.st = SYSTEMTIME { 2000, 1, 6, 1, 22, 15, 30, 0 };
    notify(change.nmhdr);
    EXPECT_EQ(PickerTime(model), (TimeOfDay { 22, 15, 30 }));

    SetPickerTime(model, { 6, 45, 0 });
    picker->Refresh();
    EXPECT_EQ(shown(), "06:45:00");
    model.Enabled = false;
    picker->Refresh();
    EXPECT_FALSE(::IsWindowEnabled(picker->Handle()));
}

TEST_F(DateTimePickerExTest, TypedTextIsReadAsAWholeOrAnsweredWithTheError)
{
    make("HH:mm:ss");
    std::string typed = "7:30:15";
    NMDATETIMESTRINGA text {};
    text.nmhdr.code = DTN_USERSTRINGA;
    text.pszUserString = typed.c_str();
    notify(text.nmhdr);
    EXPECT_EQ(PickerTime(model), (TimeOfDay { 7, 30, 15 }));
    EXPECT_EQ(text.dwFlags, static_cast<DWORD>(GDT_VALID));
    EXPECT_EQ(text.st.wHour, 7);
    EXPECT_TRUE(dialogs.shown.empty());

    typed = "half past";
    text.pszUserString = typed.c_str();
    notify(text.nmhdr);
    EXPECT_EQ(PickerTime(model), (TimeOfDay { 7, 30, 15 })) << "the value stays";
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "'half past' is not a valid date and time.");
    EXPECT_EQ(text.st.wMinute, 30) << "the control shows the picker's time again";
}

} // namespace
} // namespace vespern::ui
