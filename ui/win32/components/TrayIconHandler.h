#pragma once

#include "NativeWindow.h"

#include <functional>

namespace vespern::ui {

// The hidden top-level window that receives a tray icon's notifications from the shell, its
// timers' ticks and the shell's "TaskbarCreated" broadcast (which reaches top-level windows only,
// so this is not a message-only window). It never closes itself and never objects to the session
// ending.
class TTrayIconHandler final : public NativeWindow {
public:
    static constexpr UINT CallbackMessage = WM_USER + 1024; // 0x0800

    struct Receivers {
        std::function<void(UINT notification)> notify; // lParam of the callback message
        std::function<void(UINT_PTR timer)> timer;
        std::function<void()> taskbarCreated;
    };

    explicit TTrayIconHandler(Receivers receivers);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    Receivers receivers_;
    UINT taskbarRestart_ = 0;
};

} // namespace vespern::ui
