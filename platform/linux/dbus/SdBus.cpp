#include "SdBus.h"

#include "platform/linux/UserDirectories.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vespern::sdbus {

namespace {

bool nameIn(std::string_view name, std::initializer_list<std::string_view> names)
{
    for (const auto candidate : names)
        if (name == candidate)
            return true;
    return false;
}

Failure classify(std::string_view name, int result)
{
    if (nameIn(name, { SD_BUS_ERROR_SERVICE_UNKNOWN, SD_BUS_ERROR_NAME_HAS_NO_OWNER }))
        return Failure::NoService;
    if (nameIn(name,
            { SD_BUS_ERROR_UNKNOWN_METHOD, SD_BUS_ERROR_UNKNOWN_OBJECT, SD_BUS_ERROR_UNKNOWN_INTERFACE,
                SD_BUS_ERROR_UNKNOWN_PROPERTY }))
        return Failure::UnknownMember;
    if (nameIn(name, { SD_BUS_ERROR_NO_REPLY, SD_BUS_ERROR_TIMEOUT, "org.freedesktop.DBus.Error.TimedOut" })
        || result == -ETIMEDOUT)
        return Failure::Timeout;
    if (nameIn(name,
            { SD_BUS_ERROR_ACCESS_DENIED, SD_BUS_ERROR_AUTH_FAILED, SD_BUS_ERROR_INTERACTIVE_AUTHORIZATION_REQUIRED,
                "org.freedesktop.login1.BlockedByInhibitorLock" }))
        return Failure::Denied;
    if (name.empty() && (result == -ECONNRESET || result == -ENOTCONN || result == -ECONNREFUSED))
        return Failure::NoBus;
    return Failure::Other;
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string busAddress(BusKind kind)
{
    if (kind == BusKind::System) {
        const auto address = environment("DBUS_SYSTEM_BUS_ADDRESS");
        return address.empty() ? "unix:path=/run/dbus/system_bus_socket" : address;
    }
    auto address = environment("DBUS_SESSION_BUS_ADDRESS");
    if (!address.empty())
        return address;
    const auto runtime = UserDirectories::FromEnvironment().runtimeDir;
    return runtime.empty() ? "" : "unix:path=" + (runtime / "bus").string();
}

} // namespace

Reply Reply::Answer(sd_bus_message* message)
{
    Reply reply;
    reply.message_.reset(message);
    return reply;
}

Reply Reply::Failed(Failure failure, std::string name, std::string text)
{
    Reply reply;
    reply.failure_ = failure;
    reply.errorName_ = std::move(name);
    reply.errorText_ = std::move(text);
    return reply;
}

Reply Reply::FromError(int result, const Error& error)
{
    const std::string name = error.name();
    std::string text = error.message();
    if (text.empty())
        text = std::strerror(-result);
    return Failed(classify(name, result), name, std::move(text));
}

Bus::Bus(BusKind kind, BusPtr bus, std::string connectError)
    : kind_(kind)
    , bus_(std::move(bus))
    , connectError_(std::move(connectError))
{
}

Bus Bus::Open(BusKind kind, std::chrono::milliseconds timeout, Bound bound)
{
    const auto start = std::chrono::steady_clock::now();
    const std::string address = busAddress(kind);
    const std::string which = kind == BusKind::System ? "the system bus" : "the session bus";
    if (address.empty())
        return Bus(kind, nullptr, which + " has no address (DBUS_SESSION_BUS_ADDRESS and XDG_RUNTIME_DIR are unset)");

    sd_bus* raw = nullptr;
    if (const int result = sd_bus_new(&raw); result < 0)
        return Bus(kind, nullptr, which + " cannot be used: " + std::strerror(-result));
    BusPtr bus(raw);
    const auto microseconds = std::chrono::duration_cast<std::chrono::microseconds>(timeout).count();
    int result = sd_bus_set_address(bus.get(), address.c_str());
    if (result >= 0)
        result = sd_bus_set_bus_client(bus.get(), 1);
    if (result >= 0)
        result = sd_bus_set_method_call_timeout(bus.get(), static_cast<std::uint64_t>(microseconds));
    if (result >= 0)
        result = sd_bus_start(bus.get());
    if (result < 0)
        return Bus(kind, nullptr, which + " cannot be reached at " + address + ": " + std::strerror(-result));
    Bus opened(kind, std::move(bus), {});
    if (bound == Bound::AllCalls)
        opened.deadline_ = start + timeout;
    return opened;
}

Reply Bus::send(sd_bus_message* call, const CallOptions& options)
{
    // Desktop services on the session bus are used when they run unless the call asks for one.
    int result = sd_bus_message_set_auto_start(call, kind_ == BusKind::System || options.startService);
    const bool interactive = options.interactiveFor.count() > 0;
    if (result >= 0 && interactive)
        result = sd_bus_message_set_allow_interactive_authorization(call, 1);
    if (result >= 0 && !options.expectReply)
        result = sd_bus_message_set_expect_reply(call, 0);
    if (result < 0)
        return Reply::Failed(Failure::Other, {}, std::string("the request cannot be built: ") + std::strerror(-result));

    if (!options.expectReply) {
        result = sd_bus_send(bus_.get(), call, nullptr);
        if (result >= 0)
            result = sd_bus_flush(bus_.get());
        return result < 0 ? Reply::FromError(result, Error {}) : Reply::Answer(nullptr);
    }
    const auto usec = nextWait(options);
    if (!usec)
        return Reply::Failed(Failure::Timeout, {}, "no time was left to wait for an answer");
    Error error;
    sd_bus_message* reply = nullptr;
    result = sd_bus_call(bus_.get(), call, *usec, error.get(), &reply);
    if (result < 0)
        return Reply::FromError(result, error);
    return Reply::Answer(reply);
}

std::optional<std::uint64_t> Bus::nextWait(const CallOptions& options) const
{
    using std::chrono::duration_cast;
    using std::chrono::microseconds;
    if (deadline_) {
        const auto left = duration_cast<microseconds>(*deadline_ - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return std::nullopt;
        return static_cast<std::uint64_t>(left);
    }
    if (options.interactiveFor.count() > 0)
        return static_cast<std::uint64_t>(duration_cast<microseconds>(options.interactiveFor).count());
    return 0;
}

bool Bus::HasOwner(const std::string& name)
{
    const auto reply = Call(
        { "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus" }, "NameHasOwner", "s", name.c_str());
    int owned = 0;
    return reply.ok() && sd_bus_message_read(reply.message(), "b", &owned) > 0 && owned;
}

Reply Bus::GetProperty(const Object& object, const char* property, const char* type)
{
    auto reply = Call({ object.service, object.path, "org.freedesktop.DBus.Properties" }, "Get", "ss",
        object.interface.c_str(), property);
    if (!reply.ok())
        return reply;
    if (const int result = sd_bus_message_enter_container(reply.message(), 'v', type); result <= 0)
        return Reply::Failed(Failure::Other, {},
            std::string("its ") + property + " is not of type " + type
                + (result < 0 ? ": " + std::string(std::strerror(-result)) : ""));
    return reply;
}

const char* Bus::label() const
{
    return kind_ == BusKind::System ? "the system bus" : "the session bus";
}

namespace {

// Why a service refused, in the words a user understands.
std::string refusalReason(const Reply& reply)
{
    if (reply.hasErrorName(SD_BUS_ERROR_INTERACTIVE_AUTHORIZATION_REQUIRED))
        return "authentication is required";
    if (reply.hasErrorName(SD_BUS_ERROR_AUTH_FAILED))
        return "authentication failed";
    if (reply.hasErrorName("org.freedesktop.login1.BlockedByInhibitorLock"))
        return "another program is blocking it";
    return "permission denied";
}

} // namespace

Outcome FailureOf(const Reply& reply, std::string_view action, std::string_view service, const Bus& bus)
{
    std::string line = "vespern: cannot ";
    line.append(action).append(": ");
    const std::string who(service);
    switch (reply.failure()) {
    case Failure::None:
        return Outcome::Success();
    case Failure::NoBus:
        return Outcome::Failure(
            syserr::ServerUnavailable, line + reply.errorText(), bus.label() + std::string(" cannot be reached"));
    case Failure::NoService:
        return Outcome::Failure(
            syserr::ServerUnavailable, line + who + " is not running on " + bus.label(), who + " is not running");
    case Failure::Timeout:
        return Outcome::Failure(
            syserr::Timeout, line + who + " did not answer in time", who + " did not answer in time");
    case Failure::Denied:
        return Outcome::Failure(
            syserr::AccessDenied, line + who + " refused: " + reply.errorText(), refusalReason(reply));
    case Failure::UnknownMember:
        return Outcome::Failure(
            syserr::NotSupported, line + who + " does not offer it: " + reply.errorText(), who + " does not offer it");
    case Failure::Other:
        break;
    }
    return Outcome::Failure(
        syserr::GenFailure, line + who + " failed: " + reply.errorText(), who + " answered: " + reply.errorText());
}

} // namespace vespern::sdbus
