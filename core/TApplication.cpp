#include "TApplication.h"

#include "VespernError.h"

namespace vespern {

TApplication::TApplication(Dialogs& dialogs)
    : dialogs_(dialogs)
{
}

bool TApplication::Dispatch(const std::function<void()>& handler)
{
    bool completed = false;
    try {
        handler();
        completed = true;
    } catch (const std::exception& error) {
        ShowException(error.what());
    }
    tellNotices();
    return completed;
}

void TApplication::tellNotices()
{
    // A message box runs a nested loop whose events dispatch too: what they post waits for the
    // next event after this box, so boxes never pile up inside each other.
    if (telling_ || !NoticeTeller || !notices_.Pending())
        return;
    telling_ = true;
    try {
        NoticeTeller();
    } catch (const std::exception& error) {
        ShowException(error.what());
    }
    telling_ = false;
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
