#pragma once

#include "core/UiEvents.h"
#include "platform/EventPump.h"

#include <QObject>

#include <functional>
#include <vector>

namespace vespern::ui {

// Qt's event loop as the core sees it: its timers are QTimers, children of timers() and named
// as the core names them, and the end of the loop is QCoreApplication::quit, queued. It also
// brings the platform's answers to requests in, through the pumps it watches.
class QtEventLoop final : public EventLoop {
public:
    std::unique_ptr<ViewTimer> CreateTimer(const std::string& name, std::function<void()> tick) override;
    void EndMessageLoop() override;

    QObject& timers() { return timers_; }

    // Runs process whenever the pump's descriptor is readable.
    void Watch(EventPump& pump, std::function<void()> process);
    // Once the loop has ended: handles the answers still pending as they come.
    void FinishPending();

private:
    QObject timers_;
    QObject notifiers_; // the pumps' socket notifiers, apart from the timers
    std::vector<EventPump*> pumps_;
};

} // namespace vespern::ui
