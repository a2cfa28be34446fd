#pragma once

#include "Dialogs.h"
#include "UserNotices.h"

#include <exception>
#include <functional>
#include <string>

namespace vespern {

// The application object: its title, whether the main window shows at start, the request to
// end the message loop, and the one place where an error ends a user-interface event.
class TApplication {
public:
    explicit TApplication(Dialogs& dialogs);

    std::string Title;
    bool ShowMainForm = true;

    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }

    // Runs one user-interface event (a click, a tick, a tray notification). An error ends it and
    // is shown in the error box; returns false when that happened. Notices posted meanwhile are
    // told afterwards through NoticeTeller.
    bool Dispatch(const std::function<void()>& handler);

    UserNotices& Notices() { return notices_; }
    // Tells the pending notices to the user; set by the window that owns the tray icon.
    std::function<void()> NoticeTeller;

    // The error box: titled with the application title, an error icon, and a full stop added
    // when the message's last character comes after "." in the character table.
    void ShowException(const std::string& message);

    // A plain notice titled with the application title.
    void ShowNotice(const std::string& text);

    Dialogs& dialogs() { return dialogs_; }

private:
    void tellNotices();

    Dialogs& dialogs_;
    UserNotices notices_;
    bool terminated_ = false;
    bool telling_ = false;
};

// The text of the error box for a message (the full-stop rule).
std::string ErrorBoxText(const std::string& message);

} // namespace vespern
