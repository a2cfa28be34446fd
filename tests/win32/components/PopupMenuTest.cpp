#include "ui/win32/components/PopupMenu.h"
#include "ui/win32/components/ResourceIds.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace vespern::ui {
namespace {

TMenuItem item(std::string caption, bool autoCheck = false, bool radio = false)
{
    TMenuItem made;
    made.Caption = std::move(caption);
    made.AutoCheck = autoCheck;
    made.RadioItem = radio;
    return made;
}

TMenuItem separator()
{
    TMenuItem made;
    made.Caption = "-";
    made.IsSeparator = true;
    return made;
}

MENUITEMINFOA infoAt(HMENU menu, int position, char* text, UINT size)
{
    MENUITEMINFOA info {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_BITMAP;
    info.dwTypeData = text;
    info.cch = size;
    ::GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
    return info;
}

SIZE bitmapSize(HBITMAP bitmap)
{
    BITMAP data {};
    ::GetObjectA(bitmap, sizeof data, &data);
    return { data.bmWidth, data.bmHeight };
}

class PopupMenuTest : public ::testing::Test {
protected:
    TPopupMenu make()
    {
        return TPopupMenu({
            { &exit, PictureMenuExit, [this] { chosen += "exit;"; } },
            { &help, PictureMenuHelp, [this] { chosen += "help;"; } },
            { &n2, 0, {} },
            { &showWindows, 0, [this] { chosen += "show;"; } },
            { &forced, 0, [this] { chosen += forced.Checked ? "forced on;" : "forced off;"; } },
            { &shutdown, PictureMenuShutdown, [this] { chosen += "shutdown;"; } },
        });
    }

    TMenuItem exit = item("Exit Vespern");
    TMenuItem help = item("Help");
    TMenuItem n2 = separator();
    TMenuItem showWindows = item("Show Windows", false, true);
    TMenuItem forced = item("Forced Action", true);
    TMenuItem shutdown = item("Shutdown");
    std::string chosen;
};

TEST_F(PopupMenuTest, ItemsShowTheModelsWithTheirPictures)
{
    TPopupMenu menu = make();
    ASSERT_EQ(::GetMenuItemCount(menu.Handle()), 6);
    struct Expected {
        const char* caption;
        UINT type;
        SIZE picture; // 0 x 0: none
    };
    const std::array<Expected, 6> expected { {
        { "Exit Vespern", MFT_STRING, { 22, 20 } },
        { "Help", MFT_STRING, { 28, 27 } },
        { "", MFT_SEPARATOR, { 0, 0 } },
        { "Show Windows", MFT_RADIOCHECK, { 0, 0 } },
        { "Forced Action", MFT_STRING, { 0, 0 } },
        { "Shutdown", MFT_STRING, { 40, 38 } },
    } };
    for (int position = 0; position < 6; ++position) {
        SCOPED_TRACE(position);
        std::array<char, 64> text {};
        const MENUITEMINFOA info = infoAt(menu.Handle(), position, text.data(), text.size());
        const Expected& want = expected[static_cast<std::size_t>(position)];
        EXPECT_EQ(info.fType & (MFT_SEPARATOR | MFT_RADIOCHECK), want.type);
        if (want.type != MFT_SEPARATOR) {
            EXPECT_STREQ(text.data(), want.caption);
        }
        EXPECT_EQ(info.fState & MFS_CHECKED, 0u);
        const SIZE size = info.hbmpItem != nullptr ? bitmapSize(info.hbmpItem) : SIZE { 0, 0 };
        EXPECT_EQ(size.cx, want.picture.cx);
        EXPECT_EQ(size.cy, want.picture.cy);
    }
}

TEST_F(PopupMenuTest, RefreshShowsChecksEnabledStateAndVisibility)
{
    TPopupMenu menu = make();
    forced.Checked = true;
    help.Enabled = false;
    exit.Visible = false;
    menu.Refresh();
    ASSERT_EQ(::GetMenuItemCount(menu.Handle()), 5);
    std::array<char, 64> text {};
    EXPECT_STREQ((infoAt(menu.Handle(), 0, text.data(), text.size()), text.data()), "Help");
    EXPECT_NE(::GetMenuState(menu.Handle(), 2, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_NE(::GetMenuState(menu.Handle(), 5, MF_BYCOMMAND) & MF_CHECKED, 0u);
    exit.Visible = true;
    menu.Refresh();
    EXPECT_EQ(::GetMenuItemCount(menu.Handle()), 6);
    EXPECT_NE(::GetMenuState(menu.Handle(), 5, MF_BYCOMMAND) & MF_CHECKED, 0u);
}

TEST_F(PopupMenuTest, ChoosingRunsTheClickAfterAnAutoCheckToggled)
{
    TPopupMenu menu = make();
    menu.Choose(5);
    menu.Choose(5);
    menu.Choose(1);
    menu.Choose(3); // the separator
    EXPECT_EQ(chosen, "forced on;forced off;exit;");
    help.Enabled = false;
    menu.Choose(2);
    EXPECT_EQ(chosen, "forced on;forced off;exit;");
}

} // namespace
} // namespace vespern::ui
