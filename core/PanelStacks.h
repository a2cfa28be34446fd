#pragma once

#include "Controls.h"

#include <vector>

namespace vespern {

// Panels laid at one place, in the order they were made. Of those the model shows, only the last
// one is seen: the ones below it are covered, so that their controls neither take the focus nor
// are read out.
class PanelStacks {
public:
    void Add(std::vector<const TPanel*> panels);
    bool Covered(const TPanel& panel) const;

private:
    std::vector<std::vector<const TPanel*>> stacks_;
};

} // namespace vespern
