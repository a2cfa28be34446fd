#include "AvahiDiscovery.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <cctype>

namespace vespern {

namespace {

constexpr const char* avahiService = "org.freedesktop.Avahi";
constexpr const char* serverInterface = "org.freedesktop.Avahi.Server";
constexpr const char* browserInterface = "org.freedesktop.Avahi.ServiceBrowser";
constexpr const char* browsedTypes[] = { "_smb._tcp", "_workstation._tcp" };
constexpr std::int32_t anyInterface = -1; // AVAHI_IF_UNSPEC
constexpr std::int32_t anyProtocol = -1; // AVAHI_PROTO_UNSPEC
constexpr std::uint64_t callTimeoutMicroseconds = 5'000'000;

class BusError {
public:
    BusError() = default;
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;
    ~BusError() { sd_bus_error_free(&error_); }
    sd_bus_error* get() { return &error_; }
    std::string text(int result) const
    {
        if (error_.message != nullptr)
            return error_.message;
        return std::string("error ") + std::to_string(-result);
    }

private:
    sd_bus_error error_ {}; // SD_BUS_ERROR_NULL, without its C compound literal
};

struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

void AvahiDiscovery::BusUnref::operator()(sd_bus* bus) const
{
    sd_bus_flush_close_unref(bus);
}

void AvahiDiscovery::SlotUnref::operator()(sd_bus_slot* slot) const
{
    sd_bus_slot_unref(slot);
}

AvahiDiscovery::AvahiDiscovery() = default;

AvahiDiscovery::~AvahiDiscovery()
{
    Stop();
}

bool AvahiDiscovery::Connect(std::string& reason)
{
    if (bus_)
        return true;
    sd_bus* bus = nullptr;
    // Honours DBUS_SYSTEM_BUS_ADDRESS.
    if (const int result = sd_bus_open_system(&bus); result < 0) {
        reason = "the system bus cannot be reached (error " + std::to_string(-result) + ")";
        return false;
    }
    bus_.reset(bus);
    // The dialog waits on these calls: a daemon that hangs must not freeze it for long.
    sd_bus_set_method_call_timeout(bus_.get(), callTimeoutMicroseconds);
    return true;
}

bool AvahiDiscovery::Available(std::string& reason)
{
    if (!Connect(reason))
        return false;
    BusError error;
    Message reply;
    sd_bus_message* raw = nullptr;
    // Starts the daemon when the bus can activate it; fails at once when nothing provides it.
    int result
        = sd_bus_call_method(bus_.get(), avahiService, "/", serverInterface, "GetVersionString", error.get(), &raw, "");
    reply.reset(raw);
    if (result < 0) {
        reason = "the Avahi daemon does not answer on the system bus: " + error.text(result);
        bus_.reset();
        return false;
    }
    BusError ownerError;
    sd_bus_message* ownerRaw = nullptr;
    result = sd_bus_call_method(bus_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "GetNameOwner", ownerError.get(), &ownerRaw, "s", avahiService);
    const Message owner(ownerRaw);
    const char* unique = nullptr;
    if (result < 0 || sd_bus_message_read(owner.get(), "s", &unique) < 0 || unique == nullptr) {
        reason = "the Avahi daemon has no owner on the system bus: " + ownerError.text(result);
        bus_.reset();
        return false;
    }
    avahi_ = unique;
    return true;
}

bool AvahiDiscovery::Start(Found found)
{
    Stop();
    std::string reason;
    if (!Available(reason))
        return false;
    found_ = std::move(found);
    // Subscribed before the browsers exist: the daemon may announce items before its reply, and
    // those signals wait in the connection's queue until the browsers' paths are known.
    sd_bus_slot* slot = nullptr;
    if (sd_bus_match_signal(
            bus_.get(), &slot, avahi_.c_str(), nullptr, browserInterface, "ItemNew", &AvahiDiscovery::OnItemNew, this)
        < 0)
        return false;
    match_.reset(slot);
    for (const char* type : browsedTypes) {
        BusError error;
        sd_bus_message* raw = nullptr;
        const int result = sd_bus_call_method(bus_.get(), avahiService, "/", serverInterface, "ServiceBrowserNew",
            error.get(), &raw, "iissu", anyInterface, anyProtocol, type, "", 0u);
        const Message reply(raw);
        const char* path = nullptr;
        if (result >= 0 && sd_bus_message_read(reply.get(), "o", &path) >= 0 && path != nullptr)
            browsers_.emplace_back(path);
    }
    return !browsers_.empty();
}

int AvahiDiscovery::EventFd() const
{
    return bus_ && !broken_ ? sd_bus_get_fd(bus_.get()) : -1;
}

void AvahiDiscovery::Dispatch()
{
    if (!bus_ || broken_)
        return;
    int result = 0;
    do
        result = sd_bus_process(bus_.get(), nullptr);
    while (result > 0);
    // A lost connection stays readable for ever; from here on there is nothing to wait for.
    if (result < 0)
        broken_ = true;
}

void AvahiDiscovery::Stop()
{
    for (const std::string& path : browsers_) {
        BusError error;
        sd_bus_message* raw = nullptr;
        sd_bus_call_method(bus_.get(), avahiService, path.c_str(), browserInterface, "Free", error.get(), &raw, "");
        sd_bus_message_unref(raw);
    }
    browsers_.clear();
    match_.reset();
    seen_.clear();
    found_ = nullptr;
    bus_.reset();
    broken_ = false;
}

int AvahiDiscovery::OnItemNew(sd_bus_message* message, void* self, sd_bus_error*)
{
    static_cast<AvahiDiscovery*>(self)->ItemNew(message);
    return 0;
}

void AvahiDiscovery::ItemNew(sd_bus_message* message)
{
    const char* path = sd_bus_message_get_path(message);
    if (path == nullptr || std::find(browsers_.begin(), browsers_.end(), path) == browsers_.end())
        return;
    std::int32_t interface = 0;
    std::int32_t protocol = 0;
    const char* name = nullptr;
    const char* type = nullptr;
    const char* domain = nullptr;
    std::uint32_t flags = 0;
    if (sd_bus_message_read(message, "iisssu", &interface, &protocol, &name, &type, &domain, &flags) < 0)
        return;
    const std::string computer = ComputerName(name, type);
    // One entry per computer, however many services and protocols announce it.
    const std::string key = lowered(computer);
    if (computer.empty() || std::find(seen_.begin(), seen_.end(), key) != seen_.end())
        return;
    seen_.push_back(key);
    if (found_)
        found_(computer);
}

std::string AvahiDiscovery::ComputerName(const std::string& serviceName, const std::string& serviceType)
{
    if (serviceType != "_workstation._tcp")
        return serviceName;
    const auto bracket = serviceName.rfind(" [");
    if (bracket == std::string::npos || serviceName.back() != ']')
        return serviceName;
    return serviceName.substr(0, bracket);
}

} // namespace vespern
