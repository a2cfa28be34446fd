#pragma once

#include "core/TApplication.h"

#include <QObject>

#include <functional>
#include <utility>
#include <vector>

namespace vespern::ui {

// The top of every user-interface event: runs the core handler through the application's
// error box, lets every window show the models again, and ends the message loop once the
// application was asked to terminate.
class UiEvents final {
public:
    explicit UiEvents(TApplication& application);

    void Handle(const std::function<void()>& handler);
    // A window that shows the models again after every event, until it removes itself (first
    // thing in its destructor, so that events raised while it is torn down leave it alone).
    void AddView(const void* view, std::function<void()> refresh);
    void RemoveView(const void* view);
    void RefreshAll();

    TApplication& application() { return application_; }

private:
    TApplication& application_;
    std::vector<std::pair<const void*, std::function<void()>>> views_;
};

} // namespace vespern::ui
