#pragma once

// The window system the program shows itself with: Qt on Linux, the native windows on Windows.
// Each build links one; Project1 makes the models and hands them over.

#include "core/Dialogs.h"
#include "core/WindowSystem.h"
#include "platform/PlatformFactory.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace vespern {
class TApplication;
class TForm1Model;
class TForm2Model;
class TForm4Model;
class TForm5Model;
} // namespace vespern

namespace vespern::ui {

using Forms = vespern::Forms;

class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    virtual Dialogs& MessageBoxes() = 0;
    // What the platform needs from the window system: the computer browser and the handles of
    // the windows that requests are addressed to.
    virtual ComputerPicker Picker() = 0;
    virtual std::function<std::uintptr_t(Window window)> WindowHandles() = 0;
    // Creates the windows in their order, shows the main window when the application asks for it
    // and runs the message loop until the program ends; returns the exit status.
    virtual int Run(const Forms& forms) = 0;
};

// The front end of this build. Nothing when the program cannot run here at all (no display
// for a resident run, say); the user was told why.
// oneShot: a desktop action file was given, so the program runs the action and ends.
std::unique_ptr<FrontEnd> CreateFrontEnd(int argc, char** argv, bool oneShot);

} // namespace vespern::ui
