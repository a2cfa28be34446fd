#pragma once

// Requests to desktop services, made on a thread of their own in the order they were given, so
// that no window waits for a service's answer (polkit may wait minutes for a password). Each
// outcome comes back to the message loop's thread through the pump; only failures are reported.

#include "platform/EventPump.h"
#include "platform/linux/Outcome.h"
#include "platform/linux/UniqueFd.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vespern {

class BackgroundRequests final : public EventPump {
public:
    using Request = std::function<Outcome()>;
    // Called on the pump's thread for each request that failed, with the action it was for.
    using Reporter = std::function<void(const Outcome& outcome, const std::string& action)>;

    explicit BackgroundRequests(Reporter report);
    // Makes the requests still queued and reports what they bring: each was accepted already.
    ~BackgroundRequests() override;
    BackgroundRequests(const BackgroundRequests&) = delete;
    BackgroundRequests& operator=(const BackgroundRequests&) = delete;

    // The request runs on the requests' thread and must touch nothing the other threads change.
    void Submit(std::string action, Request request);

    int Fd() const override { return ready_.get(); }
    void Process() override;
    bool Pending() const override { return unhandled_ > 0; }

private:
    struct Queued {
        std::string action;
        Request request;
    };
    struct Answered {
        std::string action;
        Outcome outcome;
    };

    void run();
    void reportAnswered();

    Reporter report_;
    UniqueFd ready_; // an eventfd, signalled for every answer
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Queued> queue_;
    std::vector<Answered> answered_;
    bool stopping_ = false;
    std::size_t unhandled_ = 0; // the pump's thread only
    std::thread worker_; // started with the first request
};

} // namespace vespern
