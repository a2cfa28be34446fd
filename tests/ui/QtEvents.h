#pragma once

#include "core/UiEvents.h"
#include "ui/qt/QtEventLoop.h"

#include <QTimer>

namespace vespern::test {

// The core's events over Qt's event loop, as the program has them; the windows' timers it
// mirrors are found by the names the core gives them ("TForm1.Timer1").
struct QtEvents {
    explicit QtEvents(TApplication& application)
        : events(application, loop)
    {
    }
    QTimer* timer(const char* name) { return loop.timers().findChild<QTimer*>(QLatin1String(name)); }

    ui::QtEventLoop loop;
    UiEvents events;
};

} // namespace vespern::test
