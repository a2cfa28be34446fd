#pragma once

#include "core/Dialogs.h"

namespace vespern::ui {

class QtDialogs final : public Dialogs {
public:
    // Headless (no display, Qt's offscreen platform) nobody could close a box, so its text goes
    // to standard error instead and nothing waits.
    explicit QtDialogs(bool headless = false);
    void MessageBox(const std::string& title, const std::string& text, MessageIcon icon) override;

private:
    bool headless_;
};

} // namespace vespern::ui
