#pragma once

// The window system the program shows itself with: Qt on Linux, the native windows on Windows.
// Each build links one; Project1 makes the models and runs them through its WindowSystem.

#include "core/Dialogs.h"
#include "core/WindowSystem.h"
#include "platform/PlatformFactory.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace vespern::ui {

class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    virtual Dialogs& MessageBoxes() = 0;
    // What the platform needs from the window system: the computer browser and the handles of
    // the windows that requests are addressed to.
    virtual ComputerPicker Picker() = 0;
    virtual std::function<std::uintptr_t(Window window)> WindowHandles() = 0;
    // Watches a platform's pump on the message loop and runs process whenever it has answers
    // (nothing where the platform has no pump). The loop also waits for the answers still
    // pending when it ends, so that a failed request is told before the program ends.
    using PumpWatcher = std::function<void(EventPump& pump, std::function<void()> process)>;
    virtual PumpWatcher Pumps() = 0;
    // The windows and the message loop that RunProgram drives.
    virtual WindowSystem& Windows() = 0;
};

// The front end of this build. Nothing when the program cannot run here at all (no display
// for a resident run, say); the user was told why.
// oneShot: a desktop action file was given, so the program runs the action and ends.
std::unique_ptr<FrontEnd> CreateFrontEnd(int argc, char** argv, bool oneShot);

} // namespace vespern::ui
