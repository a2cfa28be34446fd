#pragma once

#include "core/TTrayIcon.h"

#include <string>
#include <vector>

namespace vespern::test {

struct Balloon {
    std::string title;
    std::string text;
    BalloonIconKind kind;
    int timeoutMilliseconds;
    bool operator==(const Balloon&) const = default;
};

// Records what the tray icon asks of the notification area; the last entry of `balloons` is the
// one showing while `balloonShowing` is true.
class RecordingTrayShell final : public TrayIconShell {
public:
    bool Available() override { return available; }
    bool UpdateIcon(bool visible, const std::string& tooltip) override
    {
        iconVisible = visible;
        this->tooltip = tooltip;
        return true;
    }
    bool ShowBalloon(const std::string& title, const std::string& text, BalloonIconKind kind, int timeout) override
    {
        balloons.push_back({ title, text, kind, timeout });
        balloonShowing = true;
        return true;
    }
    void HideBalloon() override
    {
        balloonShowing = false;
        ++hides;
    }

    void StartClickTimer(int milliseconds) override { clickTimer = milliseconds; }
    void StopClickTimer() override { clickTimer = 0; }
    int DoubleClickTime() override { return 500; }

    bool available = true;
    int clickTimer = 0; // the running click-delay interval, 0 when stopped
    bool iconVisible = false;
    std::string tooltip;
    std::vector<Balloon> balloons;
    bool balloonShowing = false;
    int hides = 0;
};

} // namespace vespern::test
