#pragma once

// Something the user must hear about that no error of a running event carries: a request the
// system refused although the call itself returned, an options file that cannot be read, a
// battery the computer does not have. Backends and the core post them; the main window tells
// them where a desktop user looks (a balloon of the tray icon, or a message box without one).

#include <functional>
#include <string>

namespace vespern {

enum class NoticeKind { Information, Warning, Error };

struct UserNotice {
    NoticeKind kind = NoticeKind::Error;
    // What happened and why, in plain words: "Shutdown was refused: authentication is required".
    std::string text;
    bool operator==(const UserNotice&) const = default;
};

using UserNoticeSink = std::function<void(const UserNotice& notice)>;

} // namespace vespern
