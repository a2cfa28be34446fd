#include "FrontEnd.h"

#include "Unit1.h"
#include "Win32Dialogs.h"
#include "core/TApplication.h"

#include <cstdlib>
#include <memory>
#include <optional>

namespace vespern::ui {

namespace {

constexpr char OneShotOnly[] = "This build of Vespern runs the desktop action files only, for example:\r\n"
                               "    vespern.exe \"SHUTDOWN.link\"\r\n\r\n"
                               "Its main window, the options and the tray icon are not in the Windows program yet.";

class Win32FrontEnd final : public FrontEnd {
public:
    Dialogs& MessageBoxes() override { return dialogs_; }
    // The shell's own folder browser finds the network's computers on Windows.
    ComputerPicker Picker() override { return {}; }
    std::function<std::uintptr_t(Window)> WindowHandles() override
    {
        return [this](Window window) -> std::uintptr_t {
            if (!mainWindow_)
                return 0;
            const HWND handle = window == Window::Main ? mainWindow_->Handle() : mainWindow_->ApplicationHandle();
            return reinterpret_cast<std::uintptr_t>(handle);
        };
    }

    int Run(const Forms& forms) override
    {
        mainWindow_.emplace(forms.form1, forms.application, ::GetModuleHandleA(nullptr));
        if (forms.application.ShowMainForm)
            mainWindow_->Show();
        const int status = mainWindow_->RunMessageLoop();
        mainWindow_.reset();
        return status;
    }

private:
    Win32Dialogs dialogs_;
    std::optional<TForm1> mainWindow_;
};

} // namespace

std::unique_ptr<FrontEnd> CreateFrontEnd(int, char**, bool oneShot)
{
    if (!oneShot) {
        ::MessageBoxA(nullptr, OneShotOnly, "Vespern", MB_OK | MB_ICONINFORMATION);
        return nullptr;
    }
    return std::make_unique<Win32FrontEnd>();
}

} // namespace vespern::ui
