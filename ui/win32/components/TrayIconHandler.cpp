#include "TrayIconHandler.h"

#include <utility>

namespace vespern::ui {

TTrayIconHandler::TTrayIconHandler(Receivers receivers)
    : receivers_(std::move(receivers))
    , taskbarRestart_(::RegisterWindowMessageA("TaskbarCreated"))
{
    CreateNative("TTrayIconHandler", "", WS_POPUP, 0, 0, 0, nullptr);
}

LRESULT TTrayIconHandler::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == CallbackMessage) {
        if (receivers_.notify)
            receivers_.notify(static_cast<UINT>(lParam));
        return 0;
    }
    if (taskbarRestart_ != 0 && message == taskbarRestart_) {
        if (receivers_.taskbarCreated)
            receivers_.taskbarCreated();
        return 0;
    }
    switch (message) {
    case WM_TIMER:
        if (receivers_.timer)
            receivers_.timer(wParam);
        return 0;
    case WM_CLOSE:
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    default:
        return NativeWindow::HandleMessage(message, wParam, lParam);
    }
}

} // namespace vespern::ui
