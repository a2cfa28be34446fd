#pragma once

#include "WindowsApi.h"
#include "core/TForm2Model.h"

namespace vespern::ui {

// The system's open-file dialog (GetOpenFileNameA), owned by the window that opens it.
class Win32FileOpenDialog final : public FileOpenDialog {
public:
    explicit Win32FileOpenDialog(HWND owner)
        : owner_(owner)
    {
    }
    std::optional<std::string> Execute(const TOpenDialog& dialog) override;

private:
    HWND owner_;
};

// "description|pattern|..." as the dialog's filter: the pieces separated and ended by zeros.
std::string NativeFileFilter(const std::string& filter);

} // namespace vespern::ui
