#include "FrontEnd.h"

#include "Win32Dialogs.h"
#include "Win32WindowSystem.h"

#include <memory>

namespace vespern::ui {

namespace {

class Win32FrontEnd final : public FrontEnd {
public:
    Dialogs& MessageBoxes() override { return dialogs_; }
    // The shell's own folder browser finds the network's computers on Windows.
    ComputerPicker Picker() override { return {}; }
    // The main window is also the program's top-level window: the browser and the requests
    // that name the application are owned by it, so it takes no input while they are open.
    std::function<std::uintptr_t(Window)> WindowHandles() override
    {
        return [this](Window) { return reinterpret_cast<std::uintptr_t>(windows_.MainWindow()); };
    }

    // The Windows requests return once the system has taken them: no answer comes later.
    PumpWatcher Pumps() override { return {}; }

    WindowSystem& Windows() override { return windows_; }

private:
    Win32Dialogs dialogs_;
    Win32WindowSystem windows_;
};

} // namespace

std::unique_ptr<FrontEnd> CreateFrontEnd(int, char**, bool)
{
    return std::make_unique<Win32FrontEnd>();
}

} // namespace vespern::ui
