#include "UserNotices.h"

#include <algorithm>

namespace vespern {

void UserNotices::Post(UserNotice notice)
{
    // The same notice twice before it was told says nothing new.
    if (std::find(pending_.begin(), pending_.end(), notice) != pending_.end())
        return;
    pending_.push_back(std::move(notice));
}

UserNotice UserNotices::TakeCombined()
{
    UserNotice combined { NoticeKind::Information, {} };
    for (const auto& notice : pending_) {
        combined.kind = std::max(combined.kind, notice.kind);
        if (!combined.text.empty())
            combined.text += '\n';
        combined.text += notice.text;
    }
    pending_.clear();
    return combined;
}

} // namespace vespern
