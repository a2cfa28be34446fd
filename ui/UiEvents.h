#pragma once

#include "core/TApplication.h"

#include <QObject>

#include <functional>
#include <vector>

namespace vespern::ui {

// The top of every user-interface event: runs the core handler through the application's
// error box, lets every window show the models again, and ends the message loop once the
// application was asked to terminate.
class UiEvents final {
public:
    explicit UiEvents(TApplication& application);

    void Handle(const std::function<void()>& handler);
    void AddView(std::function<void()> refresh);
    void RefreshAll();

    TApplication& application() { return application_; }

private:
    TApplication& application_;
    std::vector<std::function<void()>> views_;
};

} // namespace vespern::ui
