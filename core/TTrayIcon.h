#pragma once

#include <cstddef>
#include <string>

namespace vespern {

enum class BalloonIconKind { None = 0, Info = 1, Warning = 2, Error = 3 };

// What the notification area of the system does for the tray icon.
class TrayIconShell {
public:
    virtual ~TrayIconShell() = default;
    // Shows, updates or removes the icon with its tooltip (empty: no tooltip).
    virtual bool UpdateIcon(bool visible, const std::string& tooltip) = 0;
    virtual bool ShowBalloon(
        const std::string& title, const std::string& text, BalloonIconKind kind, int timeoutMilliseconds)
        = 0;
    virtual void HideBalloon() = 0;
};

// The tray icon component: its properties and the rules of its tooltip and balloons, kept
// apart from the system that shows them.
class TTrayIcon {
public:
    static constexpr std::size_t MaxTipLength = 127;
    static constexpr std::size_t MaxBalloonTitle = 63;
    static constexpr std::size_t MaxBalloonText = 255;

    void Attach(TrayIconShell* shell);

    void SetHint(const std::string& hint);
    const std::string& Hint() const { return hint_; }
    void SetShowHint(bool showHint);
    bool ShowHint() const { return showHint_; }
    void SetIconVisible(bool visible);
    bool IconVisible() const { return iconVisible_; }
    bool MinimizeToTray = false;
    bool Enabled = true;

    // The tooltip the shell gets: the hint cut to 127 characters, none when hidden or empty.
    std::string Tooltip() const;

    bool AddTrayIcon();
    bool RemoveTrayIcon();
    bool UpdateTrayIcon();

    // Hides a showing balloon first, so one balloon shows at a time.
    bool ShowBalloon(const std::string& title, const std::string& text, BalloonIconKind kind, int seconds);
    void HideBalloon();

private:
    TrayIconShell* shell_ = nullptr;
    std::string hint_;
    bool showHint_ = true;
    bool iconVisible_ = false;
};

} // namespace vespern
