#include "Win32Dialogs.h"

#include "WindowsApi.h"

namespace vespern::ui {

namespace {

UINT iconStyle(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return MB_ICONINFORMATION;
    case MessageIcon::Warning:
        return MB_ICONWARNING;
    case MessageIcon::Error:
        return MB_ICONERROR;
    case MessageIcon::None:
        break;
    }
    return 0;
}

} // namespace

void Win32Dialogs::MessageBox(const std::string& title, const std::string& text, MessageIcon icon)
{
    ::MessageBoxA(::GetActiveWindow(), text.c_str(), title.c_str(), MB_OK | iconStyle(icon));
}

} // namespace vespern::ui
