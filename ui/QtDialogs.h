#pragma once

#include "core/Dialogs.h"

namespace vespern::ui {

class QtDialogs final : public Dialogs {
public:
    void MessageBox(const std::string& title, const std::string& text, MessageIcon icon) override;
};

} // namespace vespern::ui
