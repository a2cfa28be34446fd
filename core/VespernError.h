#pragma once

#include <stdexcept>
#include <string>

namespace vespern {

// An operation that cannot go on. The message reaches the user in the error box at the top of
// the user-interface event that was running; what was done before stays done.
class VespernError : public std::runtime_error {
public:
    explicit VespernError(const std::string& message)
        : std::runtime_error(message)
    {
    }
};

} // namespace vespern
