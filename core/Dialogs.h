#pragma once

#include <string>

namespace vespern {

enum class MessageIcon { None, Information, Warning, Error };

// Modal message boxes with one OK button. The windows show them; tests record them.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void MessageBox(const std::string& title, const std::string& text, MessageIcon icon) = 0;
};

} // namespace vespern
