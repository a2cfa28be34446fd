#include "ui/win32/components/TrayIcon.h"
#include "ui/win32/components/PopupMenu.h"
#include "win32/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vespern::ui {
namespace {

// One request as the shell received it.
struct Request {
    DWORD message;
    DWORD size;
    HWND window;
    UINT identity;
    UINT flags;
    UINT callback;
    std::string tip;
    std::string infoTitle;
    std::string info;
    UINT timeoutOrVersion;
    DWORD infoFlags;
};

void CALLBACK endMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    ::KillTimer(nullptr, timer);
    ::EndMenu();
}

class TrayIconTest : public ::testing::Test {
protected:
    TrayIconTest()
    {
        model.SetHint("Vespern");
        model.OnClick = [this] { ++clicks; };
        model.OnDblClick = [this] { ++doubleClicks; };
    }

    TTrayIcon::NotifyIconCall recorder()
    {
        return [this](DWORD message, NOTIFYICONDATAA* data) {
            requests.push_back({ message, data->cbSize, data->hWnd, data->uID, data->uFlags, data->uCallbackMessage,
                data->szTip, data->szInfoTitle, data->szInfo, data->uTimeout, data->dwInfoFlags });
            return TRUE;
        };
    }
    TTrayIcon::Dispatch dispatch()
    {
        return [this](const std::function<void()>& handler) {
            ++events;
            handler();
        };
    }
    void notify(TTrayIcon& icon, UINT message)
    {
        ::SendMessageA(icon.HandlerWindow(), 0x0800, requests.empty() ? 0 : requests.front().identity, message);
    }
    // The click-delay timer's tick, as the system delivers it.
    void tick(TTrayIcon& icon) { ::SendMessageA(icon.HandlerWindow(), WM_TIMER, 1, 0); }

    vespern::TTrayIcon model;
    std::vector<Request> requests;
    int events = 0;
    int clicks = 0;
    int doubleClicks = 0;
};

TEST_F(TrayIconTest, AddsTheIconWithTheShortRecordAndAnnouncesBehaviourZero)
{
    TTrayIcon icon(model, dispatch(), recorder());
    EXPECT_TRUE(requests.empty()) << "nothing reaches the shell before the icon is made visible";
    model.SetIconVisible(true);
    ASSERT_EQ(requests.size(), 2u);
    const Request& add = requests[0];
    EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.size, sizeof(void*) == 4 ? 488u : static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE));
    EXPECT_LT(add.size, sizeof(NOTIFYICONDATAA));
    EXPECT_EQ(add.window, icon.HandlerWindow());
    EXPECT_NE(add.identity, 0u);
    EXPECT_EQ(add.flags, 7u);
    EXPECT_EQ(add.callback, 0x0800u);
    EXPECT_EQ(add.tip, "Vespern");
    EXPECT_EQ(requests[1].message, static_cast<DWORD>(NIM_SETVERSION));
    EXPECT_EQ(requests[1].timeoutOrVersion, 0u);
    EXPECT_EQ(requests[1].identity, add.identity);
}

TEST_F(TrayIconTest, TooltipFollowsTheModel)
{
    TTrayIcon icon(model, dispatch(), recorder());
    model.SetIconVisible(true);
    model.SetHint(std::string(200, 'h'));
    EXPECT_EQ(requests.back().message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(requests.back().tip, std::string(127, 'h'));
    model.SetShowHint(false);
    EXPECT_EQ(requests.back().tip, "");
    model.SetShowHint(true);
    model.SetHint("");
    EXPECT_EQ(requests.back().tip, "");
}

TEST_F(TrayIconTest, BalloonIsCutAndSentWithTheInfoFlagOnlyWhileShowing)
{
    TTrayIcon icon(model, dispatch(), recorder());
    model.SetIconVisible(true);
    requests.clear();
    model.ShowBalloon(std::string(70, 'T'), std::string(300, 'x'), BalloonIconKind::Warning, 10);
    ASSERT_EQ(requests.size(), 2u);
    // The balloon that may be showing goes first.
    EXPECT_EQ(requests[0].flags, 7u | NIF_INFO);
    EXPECT_EQ(requests[0].info, "");
    const Request& balloon = requests[1];
    EXPECT_EQ(balloon.message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(balloon.flags, 7u | NIF_INFO);
    EXPECT_EQ(balloon.infoTitle, std::string(63, 'T'));
    EXPECT_EQ(balloon.info, std::string(255, 'x'));
    EXPECT_EQ(balloon.timeoutOrVersion, 10000u);
    EXPECT_EQ(balloon.infoFlags, static_cast<DWORD>(NIIF_WARNING));
    EXPECT_EQ(balloon.tip, "Vespern");

    model.HideBalloon();
    EXPECT_EQ(requests.back().flags, 7u | NIF_INFO);
    EXPECT_EQ(requests.back().info, "");
    model.SetHint("Vespern");
    EXPECT_EQ(requests.back().flags, 7u) << "a plain update carries no balloon";
}

TEST_F(TrayIconTest, RestartedTaskbarGetsTheIconBackAndEndRemovesIt)
{
    {
        TTrayIcon icon(model, dispatch(), recorder());
        model.SetIconVisible(true);
        requests.clear();
        ::SendMessageA(icon.HandlerWindow(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].message, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(requests[0].tip, "Vespern");
        EXPECT_EQ(requests[1].message, static_cast<DWORD>(NIM_SETVERSION));
        requests.clear();
    }
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(TrayIconTest, HiddenIconIsNotPutBackByARestartedTaskbar)
{
    TTrayIcon icon(model, dispatch(), recorder());
    model.SetIconVisible(true);
    model.SetIconVisible(false);
    EXPECT_EQ(requests.back().message, static_cast<DWORD>(NIM_DELETE));
    requests.clear();
    ::SendMessageA(icon.HandlerWindow(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(requests.empty());
}

TEST_F(TrayIconTest, ClicksReachTheModelThroughTheCallbackMessage)
{
    struct Case {
        const char* name;
        std::vector<UINT> notifications;
        bool tick;
        int clicks;
        int doubleClicks;
    };
    const Case cases[] = {
        { "single click waits for the double-click time", { WM_LBUTTONDOWN, WM_LBUTTONUP }, false, 0, 0 },
        { "single click after the double-click time", { WM_LBUTTONDOWN, WM_LBUTTONUP }, true, 1, 0 },
        { "double click alone", { WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP }, true, 0, 1 },
        { "moves and the right button click nothing", { WM_MOUSEMOVE, WM_RBUTTONUP, WM_MBUTTONDOWN }, true, 0, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vespern::TTrayIcon fresh;
        fresh.OnClick = [this] { ++clicks; };
        fresh.OnDblClick = [this] { ++doubleClicks; };
        clicks = doubleClicks = 0;
        TTrayIcon icon(fresh, dispatch(), recorder());
        for (const UINT notification : c.notifications)
            notify(icon, notification);
        if (c.tick)
            tick(icon);
        EXPECT_EQ(clicks, c.clicks);
        EXPECT_EQ(doubleClicks, c.doubleClicks);
    }
}

TEST_F(TrayIconTest, ClickDelayTimerRunsOnTheHandlerWindow)
{
    TTrayIcon icon(model, dispatch(), recorder());
    model.SetIconVisible(true);
    notify(icon, WM_LBUTTONDOWN);
    notify(icon, WM_LBUTTONUP);
    EXPECT_EQ(clicks, 0);
    const int limit = static_cast<int>(::GetDoubleClickTime()) + 2000;
    EXPECT_TRUE(test::PumpUntil([this] { return clicks == 1; }, limit));
    // The timer stopped with its tick: no second click.
    test::PumpUntil([] { return false; }, static_cast<int>(::GetDoubleClickTime()) + 100);
    EXPECT_EQ(clicks, 1);
}

TEST_F(TrayIconTest, DisabledIconIgnoresTheMouse)
{
    TTrayIcon icon(model, dispatch(), recorder());
    model.Enabled = false;
    notify(icon, WM_LBUTTONDOWN);
    notify(icon, WM_LBUTTONUP);
    notify(icon, WM_LBUTTONDBLCLK);
    tick(icon);
    EXPECT_EQ(clicks + doubleClicks, 0);
}

TEST_F(TrayIconTest, RightButtonDownOpensTheMenu)
{
    TMenuItem item;
    item.Caption = "Show Windows";
    TPopupMenu menu({ { &item, 0, {} } });
    int opened = 0;
    menu.OnPopup = [&opened] {
        ++opened;
        // Closes the menu as soon as its loop runs.
        ::SetTimer(nullptr, 0, 10, endMenu);
    };
    TTrayIcon icon(model, dispatch(), recorder());
    icon.SetPopupMenu(&menu);
    notify(icon, WM_RBUTTONUP);
    EXPECT_EQ(opened, 0);
    notify(icon, WM_RBUTTONDOWN);
    EXPECT_EQ(opened, 1);
}

} // namespace
} // namespace vespern::ui
