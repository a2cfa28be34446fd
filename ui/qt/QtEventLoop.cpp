#include "QtEventLoop.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>

namespace vespern::ui {

namespace {

class QtViewTimer final : public ViewTimer {
public:
    QtViewTimer(QObject& parent, const std::string& name, std::function<void()> tick)
        : timer_(new QTimer(&parent))
    {
        timer_->setObjectName(QString::fromStdString(name));
        QObject::connect(timer_, &QTimer::timeout, timer_, std::move(tick));
    }
    ~QtViewTimer() override { delete timer_.data(); }
    QtViewTimer(const QtViewTimer&) = delete;
    QtViewTimer& operator=(const QtViewTimer&) = delete;

    void Start(int intervalMilliseconds) override
    {
        if (timer_)
            timer_->start(intervalMilliseconds);
    }
    void Stop() override
    {
        if (timer_)
            timer_->stop();
    }

private:
    // A child of the loop's timer object, found there by name; gone with it if the loop goes first.
    QPointer<QTimer> timer_;
};

} // namespace

std::unique_ptr<ViewTimer> QtEventLoop::CreateTimer(const std::string& name, std::function<void()> tick)
{
    return std::make_unique<QtViewTimer>(timers_, name, std::move(tick));
}

void QtEventLoop::Watch(EventPump& pump, std::function<void()> process)
{
    auto* notifier = new QSocketNotifier(pump.Fd(), QSocketNotifier::Read, &notifiers_);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, std::move(process));
    pumps_.push_back(&pump);
}

void QtEventLoop::FinishPending()
{
    // Each request is bounded by its service's own time, so this ends.
    while (std::any_of(pumps_.begin(), pumps_.end(), [](const EventPump* pump) { return pump->Pending(); }))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtEventLoop::EndMessageLoop()
{
    // Queued, so that a request made before the loop runs still ends it.
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
}

} // namespace vespern::ui
