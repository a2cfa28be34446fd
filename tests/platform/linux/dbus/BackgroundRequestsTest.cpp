#include "platform/linux/dbus/BackgroundRequests.h"

#include <gtest/gtest.h>

#include <future>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace vespern::test {
namespace {

struct Reported {
    std::string action;
    std::string reason;
    bool operator==(const Reported&) const = default;
};

Outcome failure(const std::string& reason)
{
    return Outcome::Failure(syserr::GenFailure, "vespern: " + reason, reason);
}

// Handles answers as a message loop does until none is awaited.
void drain(EventPump& pump)
{
    while (pump.Pending()) {
        pollfd ready { pump.Fd(), POLLIN, 0 };
        ASSERT_EQ(::poll(&ready, 1, 5000), 1) << "an answer did not come";
        pump.Process();
    }
}

TEST(BackgroundRequests, RunInOrderAndReportOnlyFailuresOnThePumpsThread)
{
    std::vector<Reported> reported;
    BackgroundRequests requests([&](const Outcome& outcome, const std::string& action) {
        reported.push_back({ action, outcome.reason });
    });
    std::vector<int> order; // written by the requests' thread only, read after it answered
    std::promise<void> release;
    auto released = release.get_future().share();

    requests.Submit("first", [&] {
        released.wait(); // the service takes its time: nothing here waits for it
        order.push_back(1);
        return failure("refused");
    });
    requests.Submit("second", [&] {
        order.push_back(2);
        return Outcome::Success();
    });
    requests.Submit("third", [&]() -> Outcome {
        order.push_back(3);
        throw std::runtime_error("cannot build the request");
    });
    EXPECT_TRUE(requests.Pending());
    requests.Process(); // nothing has arrived: handles nothing and does not wait
    EXPECT_TRUE(reported.empty());

    release.set_value();
    drain(requests);
    EXPECT_EQ(order, (std::vector<int> { 1, 2, 3 }));
    EXPECT_EQ(reported, (std::vector<Reported> { { "first", "refused" }, { "third", "cannot build the request" } }));
    EXPECT_FALSE(requests.Pending());
}

TEST(BackgroundRequests, AtTheEndTheQueuedRequestsAreStillMadeAndTheirFailuresReported)
{
    std::vector<std::string> made;
    std::vector<Reported> reported;
    {
        BackgroundRequests requests([&](const Outcome& outcome, const std::string& action) {
            reported.push_back({ action, outcome.reason });
        });
        for (const char* action : { "Shutdown", "Lock/Switch User" })
            requests.Submit(action, [&made, action] {
                made.emplace_back(action);
                return failure("did not answer in time");
            });
    }
    EXPECT_EQ(made, (std::vector<std::string> { "Shutdown", "Lock/Switch User" }));
    EXPECT_EQ(reported,
        (std::vector<Reported> {
            { "Shutdown", "did not answer in time" }, { "Lock/Switch User", "did not answer in time" } }));
}

} // namespace
} // namespace vespern::test
