#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace vespern {

enum class BalloonIconKind { None = 0, Info = 1, Warning = 2, Error = 3 };

// The mouse notifications of a notification-area icon, numbered as the system numbers them.
enum class TrayMouseMessage : std::uint32_t {
    MouseMove = 0x200,
    LButtonDown = 0x201,
    LButtonUp = 0x202,
    LButtonDblClk = 0x203,
    RButtonDown = 0x204,
    RButtonUp = 0x205,
    MButtonDown = 0x207,
    MButtonUp = 0x208,
};

// What the notification area of the system does for the tray icon.
class TrayIconShell {
public:
    virtual ~TrayIconShell() = default;
    // Whether the desktop has a notification area at all right now.
    virtual bool Available() = 0;
    // Shows, updates or removes the icon with its tooltip (empty: no tooltip).
    virtual bool UpdateIcon(bool visible, const std::string& tooltip) = 0;
    virtual bool ShowBalloon(
        const std::string& title, const std::string& text, BalloonIconKind kind, int timeoutMilliseconds)
        = 0;
    virtual void HideBalloon() = 0;
    // The click-delay timer: one tick after the interval, delivered to TTrayIcon::ClickDelayTick.
    virtual void StartClickTimer(int milliseconds) = 0;
    virtual void StopClickTimer() = 0;
    virtual int DoubleClickTime() = 0;
};

// The tray icon component: its properties, the rules of its tooltip and balloons and the
// delivery of clicks, kept apart from the system that shows them.
class TTrayIcon {
public:
    static constexpr std::size_t MaxTipLength = 127;
    static constexpr std::size_t MaxBalloonTitle = 63;
    static constexpr std::size_t MaxBalloonText = 255;

    void Attach(TrayIconShell* shell);

    void SetHint(const std::string& hint);
    const std::string& Hint() const { return hint_; }
    void SetShowHint(bool showHint);
    void SetIconVisible(bool visible);
    bool IconVisible() const { return iconVisible_; }
    bool MinimizeToTray = false;
    // Mouse notifications are ignored while false.
    bool Enabled = true;

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    // Asked once loading has finished; a handler that clears the flag hides the main window.
    std::function<void(bool& showMainForm)> OnStartup;

    // The tooltip the shell gets: the hint cut to 127 characters, none when hidden or empty.
    std::string Tooltip() const;

    bool AddTrayIcon();
    bool RemoveTrayIcon();
    bool UpdateTrayIcon();

    // Whether there is a notification area to hide the main window in.
    bool NotificationAreaAvailable() const;
    // The notification area came (back): an icon that should show is added again.
    void TaskbarCreated();

    // Hides a showing balloon first, so one balloon shows at a time.
    bool ShowBalloon(const std::string& title, const std::string& text, BalloonIconKind kind, int seconds);
    void HideBalloon();

    // Runs OnStartup and returns whether the main window is to be shown.
    bool Loaded();

    // A mouse notification from the shell. With an OnDblClick handler a single click is held
    // back for the double-click time, so a double click never also counts as a click.
    void Notify(TrayMouseMessage message);
    void ClickDelayTick();

private:
    TrayIconShell* shell_ = nullptr;
    std::string hint_;
    bool showHint_ = true;
    bool iconVisible_ = false;
    bool buttonDown_ = false;
    bool clickPending_ = false;
    bool doubleClickSeen_ = false;
    bool clickTimerRunning_ = false;
};

} // namespace vespern
