#pragma once

#include <functional>
#include <optional>
#include <string>

namespace vespern {

// A source of the computers that announce themselves on the local network.
class ComputerDiscovery {
public:
    using Found = std::function<void(const std::string& computerName)>;

    virtual ~ComputerDiscovery() = default;

    // Whether the network can be browsed at all; reason says why not.
    virtual bool Available(std::string& reason) = 0;
    // Begins looking; found runs from Dispatch, once for every computer, in the order seen.
    virtual bool Start(Found found) = 0;
    // The descriptor that becomes readable when Dispatch has work, or -1 when there is none
    // (also once the source has lost its connection).
    virtual int EventFd() const = 0;
    virtual void Dispatch() = 0;
    virtual void Stop() = 0;
};

// Shows the modal list of computers that discovery finds, titled title; the chosen computer's
// name, or nothing when the user cancelled. The window system installs it.
using ComputerPicker
    = std::function<std::optional<std::string>(const std::string& title, ComputerDiscovery& discovery)>;

} // namespace vespern
