#pragma once

#include "core/UiEvents.h"

#include <QObject>

namespace vespern::ui {

// Qt's event loop as the core sees it: its timers are QTimers, children of timers() and named
// as the core names them, and the end of the loop is QCoreApplication::quit, queued.
class QtEventLoop final : public EventLoop {
public:
    std::unique_ptr<ViewTimer> CreateTimer(const std::string& name, std::function<void()> tick) override;
    void EndMessageLoop() override;

    QObject& timers() { return timers_; }

private:
    QObject timers_;
};

} // namespace vespern::ui
