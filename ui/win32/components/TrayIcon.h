#pragma once

#include "../WindowsApi.h"
#include "SimpleTimer.h"
#include "TrayIconHandler.h"
#include "core/TTrayIcon.h"

#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>

namespace vespern::ui {

class TPopupMenu;

// The tray icon component over the shell's notification area (Shell_NotifyIconA). The rules of
// tooltip, balloons and clicks are the core model's; this keeps the shell's record, hands the
// shell's mouse notifications to the model and opens the tray menu when the right button goes
// down.
class TTrayIcon final : public TrayIconShell {
public:
    using Dispatch = std::function<void(const std::function<void()>&)>;
    // The shell's call; tests pass a recorder.
    using NotifyIconCall = std::function<BOOL(DWORD message, NOTIFYICONDATAA* data)>;

    // dispatch runs a core handler as a user-interface event.
    TTrayIcon(vespern::TTrayIcon& model, Dispatch dispatch, NotifyIconCall call = ::Shell_NotifyIconA);
    ~TTrayIcon() override;
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    // The menu the right button opens; none by default.
    void SetPopupMenu(TPopupMenu* menu) { menu_ = menu; }
    // The hidden window that receives the shell's notifications.
    HWND HandlerWindow() const { return handler_.Handle(); }

    bool Available() override;
    bool UpdateIcon(bool visible, const std::string& tooltip) override;
    bool ShowBalloon(
        const std::string& title, const std::string& text, BalloonIconKind kind, int timeoutMilliseconds) override;
    void HideBalloon() override;
    void StartClickTimer(int milliseconds) override;
    void StopClickTimer() override;
    int DoubleClickTime() override;

private:
    struct IconDeleter {
        void operator()(HICON icon) const { ::DestroyIcon(icon); }
    };

    void notification(UINT message);
    void taskbarCreated();
    void openMenu();
    BOOL send(DWORD message);

    vespern::TTrayIcon& model_;
    Dispatch dispatch_;
    NotifyIconCall call_;
    TTrayIconHandler handler_;
    TSimpleTimer clickTimer_;
    std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter> icon_;
    NOTIFYICONDATAA data_ {};
    TPopupMenu* menu_ = nullptr;
    bool added_ = false; // whether the shell holds the icon
};

} // namespace vespern::ui
