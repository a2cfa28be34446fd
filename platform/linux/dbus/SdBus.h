#pragma once

// A thin owner layer over sd-bus: connections, messages and errors are released by their owners,
// every wait for an answer is bounded, and an answer that did not come is described in one line.
// A connection belongs to the thread that opened it.

#include "platform/linux/Outcome.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vespern::sdbus {

struct BusClose {
    // Every call made here waits for its answer, so nothing is left to flush.
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
using BusPtr = std::unique_ptr<sd_bus, BusClose>;

struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using MessagePtr = std::unique_ptr<sd_bus_message, MessageUnref>;

// sd_bus_error, freed when it goes out of scope.
class Error {
public:
    Error() = default;
    Error(const Error&) = delete;
    Error& operator=(const Error&) = delete;
    ~Error() { sd_bus_error_free(&error_); }

    sd_bus_error* get() { return &error_; }
    std::string name() const { return error_.name ? error_.name : ""; }
    std::string message() const { return error_.message ? error_.message : ""; }

private:
    sd_bus_error error_ {}; // SD_BUS_ERROR_NULL, without its C compound literal
};

enum class BusKind { System, Session };

// Why a call brought no reply.
enum class Failure {
    None,
    NoBus, // the bus itself could not be reached
    NoService, // nobody owns the service name
    UnknownMember, // the service lacks that object, interface, method or property
    Timeout,
    Denied, // refused by policy: permissions, authorization or an inhibitor
    Other,
};

// A service on a bus: its name, one of its objects and the interface used there.
struct Object {
    std::string service;
    std::string path;
    std::string interface;
};

// How one call is made; the defaults suit a query.
struct CallOptions {
    // On the session bus: let the bus start the service when it is not running yet (services on
    // the system bus may always be started on demand).
    bool startService = false;
    // Let polkit ask for a password through the desktop's authentication agent. The answer then
    // waits for the user, up to this long instead of the bus's usual time-out.
    std::chrono::milliseconds interactiveFor { 0 };
    // For a method the service never answers: the call is sent and not waited for.
    bool expectReply = true;
};

// The answer to one call: the reply message, or what came instead.
class Reply {
public:
    static Reply Answer(sd_bus_message* message);
    static Reply Failed(Failure failure, std::string name, std::string text);
    static Reply FromError(int result, const Error& error);

    bool ok() const { return failure_ == Failure::None; }
    Failure failure() const { return failure_; }
    bool hasErrorName(std::string_view name) const { return errorName_ == name; }
    // For reading the reply; only when ok().
    sd_bus_message* message() const { return message_.get(); }
    const std::string& errorText() const { return errorText_; }

private:
    MessagePtr message_;
    Failure failure_ = Failure::None;
    std::string errorName_;
    std::string errorText_;
};

// What the time-out of a connection bounds.
enum class Bound {
    EachCall, // every answer waited for, the connection's greeting included
    AllCalls, // all of them together: a query on the user-interface thread gives up when it runs out
};

class Bus {
public:
    // Connects to the bus named by DBUS_SYSTEM_BUS_ADDRESS or DBUS_SESSION_BUS_ADDRESS (their usual
    // places when unset).
    static Bus Open(BusKind kind, std::chrono::milliseconds timeout, Bound bound = Bound::EachCall);

    template <typename... Args> Reply Call(const Object& object, const char* member, const char* types, Args... args)
    {
        return Call(CallOptions {}, object, member, types, args...);
    }

    template <typename... Args>
    Reply Call(const CallOptions& options, const Object& object, const char* member, const char* types, Args... args)
    {
        if (!bus_)
            return Reply::Failed(Failure::NoBus, {}, connectError_);
        sd_bus_message* raw = nullptr;
        int result = sd_bus_message_new_method_call(
            bus_.get(), &raw, object.service.c_str(), object.path.c_str(), object.interface.c_str(), member);
        MessagePtr call(raw);
        if (result >= 0)
            result = sd_bus_message_append(call.get(), types, args...);
        if (result < 0)
            return Reply::Failed(
                Failure::Other, {}, std::string("the request cannot be built: ") + std::strerror(-result));
        return send(call.get(), options);
    }

    // Whether someone owns the name on this bus now (false when the bus cannot be asked).
    bool HasOwner(const std::string& name);

    // Reads a property; the reply is positioned at its value, of the given type.
    Reply GetProperty(const Object& object, const char* property, const char* type);

    // "the system bus" or "the session bus", for messages.
    const char* label() const;

private:
    Bus(BusKind kind, BusPtr bus, std::string connectError);
    Reply send(sd_bus_message* call, const CallOptions& options);
    // How long the next call may wait, in microseconds; 0: the connection's own time-out.
    std::optional<std::uint64_t> nextWait(const CallOptions& options) const;

    BusKind kind_;
    BusPtr bus_;
    std::string connectError_;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
};

// The one line that reports a failed call, "vespern: cannot <action>: <what went wrong>", and
// its reason in plain words.
Outcome FailureOf(const Reply& reply, std::string_view action, std::string_view service, const Bus& bus);

} // namespace vespern::sdbus
