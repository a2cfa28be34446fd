#include "support/RecordingDialogs.h"
#include "ui/win32/Unit5.h"
#include "ui/win32/components/GdiTextRenderer.h"
#include "win32/DialogTestLoop.h"
#include "win32/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace vespern::ui {
namespace {

// The pixels of a window's client area as the screen shows them, 0xRRGGBB, rows top to bottom.
struct Shot {
    int width = 0;
    int height = 0;
    std::vector<TColor> pixels;
    TColor at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)] & 0xFFFFFF; }
};

Shot shoot(HWND window)
{
    RECT client {};
    ::GetClientRect(window, &client);
    Shot shot { client.right, client.bottom, {} };
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC source = ::GetDC(window);
    HDC target = ::CreateCompatibleDC(source);
    const HGDIOBJ previous = ::SelectObject(target, bitmap);
    ::BitBlt(target, 0, 0, shot.width, shot.height, source, 0, 0, SRCCOPY);
    ::GdiFlush();
    const auto* first = static_cast<const TColor*>(bits);
    shot.pixels.assign(first, first + shot.width * shot.height);
    ::SelectObject(target, previous);
    ::DeleteDC(target);
    ::ReleaseDC(window, source);
    ::DeleteObject(bitmap);
    return shot;
}

struct AboutBox : ::testing::Test {
    AboutBox()
    {
        // Placed, not shown: the About box centres itself on it whether it shows or not.
        ::SetWindowPos(mainWindow, nullptr, 120, 90, 415, 520, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ~AboutBox() override { ::DestroyWindow(mainWindow); }

    void show()
    {
        events.Handle([this] { model.Show(); });
        ::UpdateWindow(view.Handle());
        test::PumpUntil([] { return false; }, 100);
    }

    test::RecordingDialogs dialogs;
    TApplication application { dialogs };
    test::ManualLoop loop; // the About box runs no timer of the model's
    UiEvents events { application, loop };
    TForm5Model model;
    HWND mainWindow = ::CreateWindowExA(
        0, "STATIC", "Vespern", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    TForm5 view { model, events, mainWindow };
};

TEST_F(AboutBox, ScreenShowsTheCorePictureAtTheEdgesAndTheGradientRows)
{
    show();
    const Shot shot = shoot(view.Handle());
    ASSERT_EQ(shot.width, 361);
    ASSERT_EQ(shot.height, 209);
    GdiTextRenderer text;
    const PixelBuffer core = model.GradientPanel1.Paint(text);
    for (const int row : { 0, 1, 207, 208 }) {
        for (int x = 0; x < shot.width; ++x)
            ASSERT_EQ(shot.at(x, row), core.Pixel(x, row)) << "row " << row << ", column " << x;
    }
    for (const int column : { 0, 360 }) {
        for (int y = 0; y < shot.height; ++y)
            ASSERT_EQ(shot.at(column, y), core.Pixel(column, y)) << "column " << column << ", row " << y;
    }
    EXPECT_EQ(shot.at(300, 1), 0x8787FFu);
    EXPECT_EQ(shot.at(300, 207), 0x0101FFu);
    EXPECT_EQ(shot.at(0, 0), 0xD58F00u);
    EXPECT_EQ(shot.at(360, 0), 0x9B6900u);
    EXPECT_EQ(shot.at(0, 208), 0xD58F00u);
    EXPECT_EQ(shot.at(360, 208), 0x9B6900u);
    // The title stands on the gradient in white: some of its pixels are white, none is the grey
    // of a window background.
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const TColor grey = static_cast<TColor>(GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face));
    int white = 0;
    for (int y = 11; y < 40; ++y) {
        for (int x = 18; x < 337; ++x) {
            white += shot.at(x, y) == 0xFFFFFF ? 1 : 0;
            ASSERT_NE(shot.at(x, y), grey) << x << "," << y;
        }
    }
    EXPECT_GT(white, 20);
}

TEST_F(AboutBox, FixedWindowCentredOnTheMainWindowWithItsLabels)
{
    show();
    EXPECT_TRUE(::IsWindowVisible(view.Handle()));
    std::array<char, 32> title {};
    ::GetWindowTextA(view.Handle(), title.data(), static_cast<int>(title.size()));
    EXPECT_STREQ(title.data(), "About");
    const LONG style = ::GetWindowLongA(view.Handle(), GWL_STYLE);
    EXPECT_NE(style & WS_SYSMENU, 0);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_EQ(::GetWindow(view.Handle(), GW_OWNER), mainWindow);
    RECT own {};
    RECT owner {};
    ::GetWindowRect(view.Handle(), &own);
    ::GetWindowRect(mainWindow, &owner);
    EXPECT_LE(std::abs((own.left + own.right) - (owner.left + owner.right)), 2);
    EXPECT_LE(std::abs((own.top + own.bottom) - (owner.top + owner.bottom)), 2);

    HWND panel = ::GetDlgItem(view.Handle(), TForm5::IdGradientPanel1);
    ASSERT_NE(panel, nullptr);
    struct Expected {
        int id;
        const char* text;
        POINT at;
    };
    for (const Expected& label : { Expected { TForm5::IdLabel2, "_____________________________", { 18, 15 } },
             Expected { TForm5::IdLabel1, "Vespern", { 19, 11 } },
             Expected { TForm5::IdLabel3, "Version 1.0", { 256, 17 } } }) {
        HWND control = ::GetDlgItem(panel, label.id);
        ASSERT_NE(control, nullptr) << label.text;
        std::array<char, 64> text {};
        ::GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
        EXPECT_STREQ(text.data(), label.text);
        RECT place {};
        ::GetWindowRect(control, &place);
        ::MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(place.left, label.at.x) << label.text;
        EXPECT_EQ(place.top, label.at.y) << label.text;
    }
    RECT rule {};
    ::GetClientRect(::GetDlgItem(panel, TForm5::IdLabel2), &rule);
    EXPECT_EQ(rule.right, 319);
    EXPECT_EQ(rule.bottom, 25);
}

TEST_F(AboutBox, EscapeAndTheCloseBoxHideItAndAShowBringsItBack)
{
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
    };
    for (const Case& c : { Case { "Escape", WM_COMMAND, IDCANCEL }, Case { "close box", WM_CLOSE, 0 } }) {
        SCOPED_TRACE(c.name);
        show();
        ASSERT_TRUE(::IsWindowVisible(view.Handle()));
        ::SendMessageA(view.Handle(), c.message, c.wParam, 0);
        EXPECT_FALSE(model.Visible);
        EXPECT_FALSE(::IsWindowVisible(view.Handle()));
        EXPECT_TRUE(::IsWindow(view.Handle())) << "closing only hides";
    }
    show();
    EXPECT_TRUE(::IsWindowVisible(view.Handle()));
}

} // namespace
} // namespace vespern::ui
