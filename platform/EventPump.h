#pragma once

// Work a backend finishes on the thread of the message loop: answers to requests that were sent
// without waiting for them. The loop watches the descriptor and calls Process when it is
// readable; no toolkit is involved here, each front end wires it to its own loop.

namespace vespern {

class EventPump {
public:
    virtual ~EventPump() = default;

    // Readable while answers wait for Process.
    virtual int Fd() const = 0;
    // Handles every answer that has arrived; never waits for more.
    virtual void Process() = 0;
    // Requests sent whose answer has not been handled yet.
    virtual bool Pending() const = 0;
};

} // namespace vespern
