#include "TApplication.h"

#include "VespernError.h"

namespace vespern {

TApplication::TApplication(Dialogs& dialogs)
    : dialogs_(dialogs)
{
}

bool TApplication::Dispatch(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        ShowException(error.what());
    }
    return false;
}

void TApplication::ShowException(const std::string& message)
{
    dialogs_.MessageBox(Title, ErrorBoxText(message), MessageIcon::Error);
}

void TApplication::ShowNotice(const std::string& text)
{
    dialogs_.MessageBox(Title, text, MessageIcon::None);
}

std::string ErrorBoxText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}

} // namespace vespern
