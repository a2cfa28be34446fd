#include "ui/win32/Unit2.h"
#include "DialogTestLoop.h"
#include "support/OptionsHarness.h"
#include "ui/win32/Win32FileOpenDialog.h"
#include "win32/support/WindowDriver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <vector>

namespace vespern::test {
namespace {

using ui::TForm2Id;

// Answers "Browse" from a list; an empty answer is a cancel.
class ScriptedFileDialog final : public FileOpenDialog {
public:
    std::optional<std::string> Execute(const TOpenDialog& dialog) override
    {
        filters.push_back(dialog.Filter);
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> filters;
};

// A value as a new reader of the system's registry finds it.
std::optional<std::string> registryValue(HKEY root, const char* path, const char* name, DWORD expectedType)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    BYTE data[MAX_PATH + 1] {};
    DWORD size = MAX_PATH;
    const LONG status = ::RegQueryValueExA(key, name, nullptr, &type, data, &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != expectedType)
        return std::nullopt;
    if (type == REG_DWORD)
        return std::to_string(data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24);
    return std::string(reinterpret_cast<const char*>(data));
}

class OptionsDialog : public ::testing::Test {
protected:
    HWND control(TForm2Id id) const { return Control(form2.Handle(), +id); }
    bool checked(TForm2Id id) const { return ::SendMessageA(control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void selectTab(int index)
    {
        const HWND tabs = control(TForm2Id::TabControl1);
        ::SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
        NMHDR change { tabs, static_cast<UINT_PTR>(+TForm2Id::TabControl1), static_cast<UINT>(TCN_SELCHANGE) };
        ::SendMessageA(form2.Handle(), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    }
    void show()
    {
        events.Handle([this] { form1.BitBtn3Click(); });
    }
    void press(WPARAM key)
    {
        MSG message { ::GetFocus(), WM_KEYDOWN, key, 0, 0, {} };
        ::IsDialogMessageA(form2.Handle(), &message);
    }

    OptionsHarness harness;
    TForm1Model form1 { harness.recorder.platform(), harness.application, harness.form2, {} };
    ManualLoop loop;
    UiEvents events { harness.application, loop };
    ScriptedFileDialog files;
    ui::TForm2 form2 { harness.form2, form1, events, nullptr, &files };
};

TEST_F(OptionsDialog, OpensOnTheOptionButtonAndItsTabsSwitchThePages)
{
    EXPECT_FALSE(Visible(form2.Handle()));
    show();
    ASSERT_TRUE(Visible(form2.Handle()));
    EXPECT_EQ(Text(form2.Handle()), "Vespern Option");
    RECT client {};
    ::GetClientRect(form2.Handle(), &client);
    EXPECT_EQ(client.right, 260);
    EXPECT_EQ(client.bottom, 193);
    EXPECT_EQ(::SendMessageA(control(TForm2Id::TabControl1), TCM_GETITEMCOUNT, 0, 0), 3);

    // One control of each page, and which tab shows it.
    const std::pair<TForm2Id, int> pages[]
        = { { TForm2Id::ontop, 0 }, { TForm2Id::CheckBox4, 0 }, { TForm2Id::CheckBox3, 1 }, { TForm2Id::Edit1, 1 },
              { TForm2Id::BitBtn3, 1 }, { TForm2Id::GroupBox2, 2 }, { TForm2Id::lock_scut, 2 } };
    for (const int tab : { 1, 2, 0, 1 }) {
        SCOPED_TRACE("tab " + std::to_string(tab));
        selectTab(tab);
        EXPECT_EQ(harness.form2.TabControl1.TabIndex, tab);
        for (const auto& [id, page] : pages)
            EXPECT_EQ(Visible(control(id)), page == tab) << +id;
        EXPECT_TRUE(Visible(control(TForm2Id::BitBtn1)));
    }
    // Closed and opened again, it keeps the page it showed.
    Click(control(TForm2Id::BitBtn2));
    EXPECT_FALSE(Visible(form2.Handle()));
    show();
    EXPECT_EQ(::SendMessageA(control(TForm2Id::TabControl1), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(Visible(control(TForm2Id::CheckBox3)));
}

TEST_F(OptionsDialog, TickedBoxesReachTheModel)
{
    show();
    const std::pair<TForm2Id, TCheckBox*> boxes[] = { { TForm2Id::ontop, &harness.form2.ontop },
        { TForm2Id::startup, &harness.form2.startup }, { TForm2Id::empty, &harness.form2.empty },
        { TForm2Id::CheckBox1, &harness.form2.CheckBox1 }, { TForm2Id::Hideshutdwnbtn, &harness.form2.Hideshutdwnbtn },
        { TForm2Id::CheckBox4, &harness.form2.CheckBox4 }, { TForm2Id::CheckBox3, &harness.form2.CheckBox3 } };
    for (const auto& [id, box] : boxes) {
        SCOPED_TRACE(box->Caption);
        EXPECT_EQ(Text(control(id)), box->Caption);
        Click(control(id));
        EXPECT_TRUE(box->Checked);
        Click(control(id));
        EXPECT_FALSE(box->Checked);
    }
    // And the model's changes reach the boxes: the load of the store ticks them.
    harness.putSetting("stay on top", "1");
    harness.putSetting("run program", "1");
    events.Handle([this] { harness.form2.LoadSettings(); });
    EXPECT_TRUE(checked(TForm2Id::ontop));
    EXPECT_TRUE(checked(TForm2Id::CheckBox3));
    EXPECT_FALSE(checked(TForm2Id::startup));
}

TEST_F(OptionsDialog, RunProgramEnablesTheProgramGroupAndBrowseSetsThePath)
{
    show();
    selectTab(1);
    const TForm2Id group[] = { TForm2Id::GroupBox1, TForm2Id::Label1, TForm2Id::Edit1, TForm2Id::BitBtn3 };
    for (const TForm2Id id : group)
        EXPECT_FALSE(Enabled(control(id))) << +id;
    Click(control(TForm2Id::CheckBox3));
    for (const TForm2Id id : group)
        EXPECT_TRUE(Enabled(control(id))) << +id;
    EXPECT_TRUE(::GetWindowLongPtrA(control(TForm2Id::Edit1), GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(Text(control(TForm2Id::Label1)), "Program to execute : ");

    files.answers = { "C:\\Tools\\backup.exe", std::nullopt };
    Click(control(TForm2Id::BitBtn3));
    EXPECT_EQ(Text(control(TForm2Id::Edit1)), "C:\\Tools\\backup.exe");
    EXPECT_EQ(harness.form2.Edit1.Text, "C:\\Tools\\backup.exe");
    Click(control(TForm2Id::BitBtn3)); // cancelled
    EXPECT_EQ(Text(control(TForm2Id::Edit1)), "C:\\Tools\\backup.exe");
    EXPECT_EQ(files.filters, std::vector<std::string>(2, "executable file (*.exe)|*.exe"));

    // Unticked, the group is disabled again and keeps the path.
    Click(control(TForm2Id::CheckBox3));
    EXPECT_FALSE(Enabled(control(TForm2Id::BitBtn3)));
    EXPECT_EQ(Text(control(TForm2Id::Edit1)), "C:\\Tools\\backup.exe");
}

TEST_F(OptionsDialog, SaveSettingWritesTheRegistryAndHides)
{
    show();
    for (const TForm2Id id : { TForm2Id::ontop, TForm2Id::startup, TForm2Id::empty, TForm2Id::CheckBox1,
             TForm2Id::Hideshutdwnbtn, TForm2Id::CheckBox4, TForm2Id::CheckBox3 })
        Click(control(id));
    files.answers = { "C:\\Tools\\backup.exe" };
    Click(control(TForm2Id::BitBtn3));
    Click(control(TForm2Id::BitBtn1));

    EXPECT_EQ(harness.dialogs.shown,
        std::vector<ShownMessage>(
            { { "Vespern", "Successfully saved, Some feature activated after restart", MessageIcon::None } }));
    EXPECT_FALSE(Visible(form2.Handle()));
    const char* setting = "vespern\\setting";
    for (const char* flag :
        { "start up", "empty recycle bin", "stay on top", "sistemkey", "hideshutdown", "hidelogoff", "run program" })
        EXPECT_EQ(registryValue(HKEY_CLASSES_ROOT, setting, flag, REG_SZ), "1") << flag;
    EXPECT_EQ(registryValue(HKEY_CLASSES_ROOT, setting, "program", REG_SZ), "C:\\Tools\\backup.exe");
    EXPECT_EQ(registryValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Vespern", REG_SZ),
        harness.recorder.script().moduleFileName);
    for (const HKEY root : { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE }) {
        const char* system = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\system";
        const char* explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
        EXPECT_EQ(registryValue(root, system, "DisableTaskMgr", REG_DWORD), "1");
        for (const char* name : { "NoClose", "NoLogoff", "StartMenuLogOff" })
            EXPECT_EQ(registryValue(root, explorer, name, REG_DWORD), "1") << name;
    }

    // Unticking "Run program before execute" saves an empty path.
    show();
    Click(control(TForm2Id::CheckBox3));
    Click(control(TForm2Id::BitBtn1));
    EXPECT_EQ(registryValue(HKEY_CLASSES_ROOT, setting, "run program", REG_SZ), "0");
    EXPECT_EQ(registryValue(HKEY_CLASSES_ROOT, setting, "program", REG_SZ), "");
}

TEST_F(OptionsDialog, EscapeAndTheTitleBarCloseHideIt)
{
    const std::pair<const char*, std::function<void()>> closes[] = {
        { "Escape", [&] { press(VK_ESCAPE); } },
        { "title bar", [&] { ::SendMessageA(form2.Handle(), WM_CLOSE, 0, 0); } },
        { "Close", [&] { Click(control(TForm2Id::BitBtn2)); } },
    };
    for (const auto& [what, close] : closes) {
        SCOPED_TRACE(what);
        show();
        ::SetFocus(control(TForm2Id::ontop));
        Click(control(TForm2Id::ontop));
        close();
        EXPECT_FALSE(Visible(form2.Handle()));
        EXPECT_FALSE(harness.form2.Visible);
        // Nothing is undone.
        EXPECT_EQ(checked(TForm2Id::ontop), harness.form2.ontop.Checked);
    }
    // Enter on a check box presses no button.
    show();
    ::SetFocus(control(TForm2Id::ontop));
    press(VK_RETURN);
    EXPECT_TRUE(Visible(form2.Handle()));
    EXPECT_TRUE(harness.dialogs.shown.empty());
}

// What the dialog's client area shows, read back from the window after it painted everything.
class ClientPixels {
public:
    explicit ClientPixels(HWND window)
        : window_(window)
    {
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        RECT client {};
        ::GetClientRect(window, &client);
        width_ = client.right;
        height_ = client.bottom;
        BITMAPINFO info {};
        info.bmiHeader = { sizeof info.bmiHeader, width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
        const HDC screen = ::GetDC(window);
        const HDC memory = ::CreateCompatibleDC(screen);
        void* bits = nullptr;
        const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HGDIOBJ previous = ::SelectObject(memory, bitmap);
        ::BitBlt(memory, 0, 0, width_, height_, screen, 0, 0, SRCCOPY);
        ::GdiFlush();
        const auto* first = static_cast<const std::uint32_t*>(bits);
        pixels_.assign(first, first + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
        ::SelectObject(memory, previous);
        ::DeleteObject(bitmap);
        ::DeleteDC(memory);
        ::ReleaseDC(window, screen);
    }

    // Whether anything dark (text, a box's frame) was drawn inside the control's place.
    bool inked(HWND control) const
    {
        RECT place {};
        ::GetWindowRect(control, &place);
        ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&place), 2);
        for (int y = std::max(0L, place.top); y < std::min<LONG>(height_, place.bottom); ++y)
            for (int x = std::max(0L, place.left); x < std::min<LONG>(width_, place.right); ++x) {
                const std::uint32_t pixel = pixels_[static_cast<std::size_t>(y * width_ + x)];
                if ((pixel & 0xFF) < 0x80 && (pixel >> 8 & 0xFF) < 0x80 && (pixel >> 16 & 0xFF) < 0x80)
                    return true;
            }
        return false;
    }

private:
    HWND window_;
    LONG width_ = 0;
    LONG height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

// Every control of a page shows on it, also those that a group box frames: a sibling higher in
// the Z order than a control clips it away.
TEST_F(OptionsDialog, EachPageShowsAllItsControls)
{
    show();
    // The program group enabled and its path chosen, for dark text.
    Click(control(TForm2Id::CheckBox3));
    files.answers = { "C:\\Tools\\backup.exe" };
    Click(control(TForm2Id::BitBtn3));
    const std::vector<TForm2Id> pages[] = {
        { TForm2Id::ontop, TForm2Id::startup, TForm2Id::empty, TForm2Id::CheckBox1, TForm2Id::Hideshutdwnbtn,
            TForm2Id::CheckBox4, TForm2Id::BitBtn1, TForm2Id::BitBtn2 },
        { TForm2Id::CheckBox3, TForm2Id::GroupBox1, TForm2Id::Label1, TForm2Id::Edit1, TForm2Id::BitBtn3 },
        { TForm2Id::GroupBox2, TForm2Id::shutdown_scut, TForm2Id::reboot_scut, TForm2Id::logoff_scut,
            TForm2Id::standby_scut, TForm2Id::Hibernate_scut, TForm2Id::hangup_scut, TForm2Id::turnoffmon_csut,
            TForm2Id::screensaver_scut, TForm2Id::lock_scut },
    };
    for (int tab = 0; tab < 3; ++tab) {
        SCOPED_TRACE("tab " + std::to_string(tab));
        selectTab(tab);
        const ClientPixels shown(form2.Handle());
        for (const TForm2Id id : pages[tab])
            EXPECT_TRUE(shown.inked(control(id))) << +id;
    }
}

BOOL CALLBACK collectCheckBox(HWND child, LPARAM into)
{
    if ((::GetWindowLongPtrA(child, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX)
        reinterpret_cast<std::vector<HWND>*>(into)->push_back(child);
    return TRUE;
}

// The face here is wider than the one the dialog was laid out for: a box grows rather than
// cutting its caption ("Lock/switch user").
TEST_F(OptionsDialog, EveryCheckBoxShowsItsWholeCaption)
{
    std::vector<HWND> boxes;
    ::EnumChildWindows(form2.Handle(), collectCheckBox, reinterpret_cast<LPARAM>(&boxes));
    ASSERT_EQ(boxes.size(), 16U);
    for (const HWND box : boxes) {
        RECT place {};
        ::GetWindowRect(box, &place);
        EXPECT_GE(place.right - place.left, ui::CheckBoxWidthNeeded(box)) << Text(box);
    }
}

TEST(NativeFileFilter, SeparatesAndEndsThePiecesWithZeros)
{
    EXPECT_EQ(
        ui::NativeFileFilter("executable file (*.exe)|*.exe"), std::string("executable file (*.exe)\0*.exe\0\0", 31));
    EXPECT_EQ(ui::NativeFileFilter(""), "");
}

} // namespace
} // namespace vespern::test
