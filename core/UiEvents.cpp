#include "UiEvents.h"

#include <cstddef>

namespace vespern {

UiEvents::UiEvents(TApplication& application, EventLoop& loop)
    : application_(application)
    , loop_(loop)
{
}

void UiEvents::Handle(const std::function<void()>& handler)
{
    application_.Dispatch(handler);
    RefreshAll();
    if (application_.Terminated() && !endRequested_) {
        endRequested_ = true;
        loop_.EndMessageLoop();
    }
}

void UiEvents::AddView(const void* view, std::function<void()> refresh)
{
    views_.emplace_back(view, std::move(refresh));
}

void UiEvents::RemoveView(const void* view)
{
    std::erase_if(views_, [view](const auto& entry) { return entry.first == view; });
}

void UiEvents::RefreshAll()
{
    // By index, with a copy of each refresh: a refresh shows and hides windows, whose events may
    // add or remove views.
    for (std::size_t i = 0; i < views_.size(); ++i) { // NOLINT(modernize-loop-convert): the vector may change inside
        const auto refresh = views_[i].second;
        refresh();
    }
    syncTimers();
}

void UiEvents::MirrorTimer(const std::string& name, const TTimer& model, const std::function<void()>& tick)
{
    timers_.push_back({ &model, loop_.CreateTimer(name, [this, tick] { Handle(tick); }), 0 });
    syncTimers();
}

void UiEvents::syncTimers()
{
    for (auto& mirror : timers_) {
        // A timer that cannot run (no positive interval) is stopped, as the system's would be.
        const int wanted = mirror.model->Enabled && mirror.model->Interval > 0 ? mirror.model->Interval : 0;
        if (wanted == mirror.runningInterval)
            continue;
        mirror.runningInterval = wanted;
        if (wanted == 0)
            mirror.timer->Stop();
        else
            mirror.timer->Start(wanted);
    }
}

} // namespace vespern
