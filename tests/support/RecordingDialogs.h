#pragma once

#include "core/Dialogs.h"

#include <string>
#include <vector>

namespace vespern::test {

struct ShownMessage {
    std::string title;
    std::string text;
    MessageIcon icon;
    bool operator==(const ShownMessage&) const = default;
};

class RecordingDialogs final : public Dialogs {
public:
    void MessageBox(const std::string& title, const std::string& text, MessageIcon icon) override
    {
        shown.push_back({ title, text, icon });
    }
    std::vector<ShownMessage> shown;
};

} // namespace vespern::test
