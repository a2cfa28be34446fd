#include "Win32FileOpenDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <array>

namespace vespern::ui {

std::string NativeFileFilter(const std::string& filter)
{
    std::string pieces = filter;
    std::replace(pieces.begin(), pieces.end(), '|', '\0');
    // Two zeros end the list; an empty filter is no filter at all.
    return pieces.empty() ? pieces : pieces + std::string(2, '\0');
}

std::optional<std::string> Win32FileOpenDialog::Execute(const TOpenDialog& dialog)
{
    const std::string filter = NativeFileFilter(dialog.Filter);
    std::array<char, MAX_PATH> path {};
    OPENFILENAMEA request {};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner_;
    request.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    request.lpstrFile = path.data();
    request.nMaxFile = static_cast<DWORD>(path.size());
    request.lpstrInitialDir = dialog.InitialDir.empty() ? nullptr : dialog.InitialDir.c_str();
    // The program's working folder stays where it was, whatever folder the user browses to.
    request.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!::GetOpenFileNameA(&request))
        return std::nullopt;
    return std::string(path.data());
}

} // namespace vespern::ui
