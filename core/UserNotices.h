#pragma once

#include "platform/UserNotice.h"

#include <vector>

namespace vespern {

// The notices posted since they were last told. Anything may post at any time, also from
// inside a request; they are told once the event that posted them has run, so that a request
// never waits on a message box.
class UserNotices {
public:
    void Post(UserNotice notice);
    bool Pending() const { return !pending_.empty(); }
    // Those posted so far as one notice: the most severe kind and the texts one per line,
    // oldest first.
    UserNotice TakeCombined();

private:
    std::vector<UserNotice> pending_;
};

} // namespace vespern
