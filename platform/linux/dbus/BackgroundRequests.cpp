#include "BackgroundRequests.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <sys/eventfd.h>

namespace vespern {

namespace {

UniqueFd readyDescriptor()
{
    UniqueFd fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!fd)
        throw std::runtime_error(std::string("vespern: no event descriptor for the requests: ") + std::strerror(errno));
    return fd;
}

Outcome attempt(const std::string& action, const BackgroundRequests::Request& request)
{
    try {
        return request();
    } catch (const std::exception& error) {
        return Outcome::Failure(syserr::GenFailure, "vespern: cannot " + action + ": " + error.what(), error.what());
    }
}

} // namespace

BackgroundRequests::BackgroundRequests(Reporter report)
    : report_(std::move(report))
    , ready_(readyDescriptor())
{
}

BackgroundRequests::~BackgroundRequests()
{
    if (worker_.joinable()) {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        worker_.join();
    }
    reportAnswered();
}

void BackgroundRequests::Submit(std::string action, Request request)
{
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back({ std::move(action), std::move(request) });
    }
    ++unhandled_;
    if (!worker_.joinable())
        worker_ = std::thread([this] { run(); });
    wake_.notify_one();
}

void BackgroundRequests::Process()
{
    std::uint64_t count = 0;
    while (::read(ready_.get(), &count, sizeof count) < 0 && errno == EINTR) { }
    reportAnswered();
}

void BackgroundRequests::reportAnswered()
{
    std::vector<Answered> answered;
    {
        const std::lock_guard lock(mutex_);
        answered.swap(answered_);
    }
    for (const auto& answer : answered) {
        --unhandled_;
        if (!answer.outcome.ok())
            report_(answer.outcome, answer.action);
    }
}

void BackgroundRequests::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        Queued next = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        Outcome outcome = attempt(next.action, next.request);
        lock.lock();
        answered_.push_back({ std::move(next.action), std::move(outcome) });
        const std::uint64_t one = 1;
        // A full counter is readable already, which is all the loop needs.
        [[maybe_unused]] const auto written = ::write(ready_.get(), &one, sizeof one);
    }
}

} // namespace vespern
