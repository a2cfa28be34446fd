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

void UiEvents::AddView(std::function<void()> refresh)
{
    views_.push_back(std::move(refresh));
}

void UiEvents::RefreshAll()
{
    for (const auto& refresh : views_)
        refresh();
}

} // namespace vespern::ui
