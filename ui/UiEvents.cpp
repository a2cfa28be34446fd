#include "UiEvents.h"

#include <QCoreApplication>
#include <QTimer>

namespace vespern::ui {

UiEvents::UiEvents(TApplication& application)
    : application_(application)
{
}

void UiEvents::Handle(const std::function<void()>& handler)
{
    application_.Dispatch(handler);
    RefreshAll();
    // Queued, so that a request made before the loop runs still ends it.
    if (application_.Terminated())
        QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
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
    // By index: a refresh shows and hides windows, whose events may add or remove views.
    for (auto& view : views_) {
        const auto refresh = view.second;
        refresh();
    }
}

} // namespace vespern::ui
