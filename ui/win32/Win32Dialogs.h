#pragma once

#include "core/Dialogs.h"

namespace vespern::ui {

// The system's message boxes, owned by the window that is active when one opens.
class Win32Dialogs final : public Dialogs {
public:
    void MessageBox(const std::string& title, const std::string& text, MessageIcon icon) override;
};

} // namespace vespern::ui
