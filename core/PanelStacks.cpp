#include "PanelStacks.h"

#include <algorithm>
#include <utility>

namespace vespern {

void PanelStacks::Add(std::vector<const TPanel*> panels)
{
    stacks_.push_back(std::move(panels));
}

bool PanelStacks::Covered(const TPanel& panel) const
{
    for (const auto& stack : stacks_) {
        const auto at = std::find(stack.begin(), stack.end(), &panel);
        if (at != stack.end())
            return std::any_of(at + 1, stack.end(), [](const TPanel* above) { return above->Visible; });
    }
    return false;
}

} // namespace vespern
