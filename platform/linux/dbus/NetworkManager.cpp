#include "NetworkManager.h"

#include "SdBus.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace vespern {

namespace {

constexpr std::string_view serviceLabel = "NetworkManager (org.freedesktop.NetworkManager)";
constexpr char serviceName[] = "org.freedesktop.NetworkManager";
constexpr char activeInterface[] = "org.freedesktop.NetworkManager.Connection.Active";
constexpr char settingsInterface[] = "org.freedesktop.NetworkManager.Settings.Connection";

const sdbus::Object manager { serviceName, "/org/freedesktop/NetworkManager", serviceName };

constexpr std::uint32_t stateConnectedLocal = 50; // NM_STATE_CONNECTED_LOCAL, below it nothing is up
constexpr std::uint32_t activeActivating = 1; // NM_ACTIVE_CONNECTION_STATE_ACTIVATING
constexpr std::uint32_t activeActivated = 2; // NM_ACTIVE_CONNECTION_STATE_ACTIVATED

struct ActiveConnection {
    std::string path;
    std::string id;
    std::uint32_t state = 0;
    bool dialUp = false;
};

Outcome unreadable(std::string_view action, int result)
{
    return Outcome::Failure(syserr::GenFailure,
        "vespern: cannot " + std::string(action) + ": " + std::string(serviceLabel)
            + " sent an answer that cannot be read: " + std::strerror(-result),
        std::string(serviceLabel) + " sent an answer that cannot be read");
}

// Skips to the value of key in an a{sv} the message is positioned in; false when it is not there.
bool enterValue(sd_bus_message* message, std::string_view key, const char* type)
{
    if (sd_bus_message_enter_container(message, 'a', "{sv}") < 0)
        return false;
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* name = nullptr;
        if (sd_bus_message_read(message, "s", &name) < 0)
            return false;
        if (key == name)
            return sd_bus_message_enter_container(message, 'v', type) > 0;
        if (sd_bus_message_skip(message, "v") < 0 || sd_bus_message_exit_container(message) < 0)
            return false;
    }
    return false;
}

// A Bluetooth connection is dial-up when it uses the modem profile (DUN), not the network one (PANU).
bool isBluetoothDialUp(sdbus::Bus& bus, const std::string& settingsPath)
{
    const auto reply = bus.Call({ serviceName, settingsPath, settingsInterface }, "GetSettings", "");
    if (!reply.ok())
        return false;
    sd_bus_message* message = reply.message();
    if (sd_bus_message_enter_container(message, 'a', "{sa{sv}}") < 0)
        return false;
    while (sd_bus_message_enter_container(message, 'e', "sa{sv}") > 0) {
        const char* setting = nullptr;
        if (sd_bus_message_read(message, "s", &setting) < 0)
            return false;
        if (std::string_view(setting) == "bluetooth") {
            const char* type = nullptr;
            return enterValue(message, "type", "s") && sd_bus_message_read(message, "s", &type) > 0
                && std::string_view(type) == "dun";
        }
        if (sd_bus_message_skip(message, "a{sv}") < 0 || sd_bus_message_exit_container(message) < 0)
            return false;
    }
    return false;
}

bool isDialUp(sdbus::Bus& bus, std::string_view type, const sdbus::Object& active)
{
    for (const auto* const kind : { "gsm", "cdma", "pppoe", "adsl" })
        if (type == kind)
            return true;
    if (type != "bluetooth")
        return false;
    const auto settings = bus.GetProperty(active, "Connection", "o");
    const char* path = nullptr;
    return settings.ok() && sd_bus_message_read(settings.message(), "o", &path) > 0 && isBluetoothDialUp(bus, path);
}

Outcome readString(
    sdbus::Bus& bus, const sdbus::Object& object, const char* property, std::string_view action, std::string& value)
{
    const auto reply = bus.GetProperty(object, property, "s");
    if (!reply.ok())
        return sdbus::FailureOf(reply, action, serviceLabel, bus);
    const char* text = nullptr;
    if (const int result = sd_bus_message_read(reply.message(), "s", &text); result < 0)
        return unreadable(action, result);
    value = text;
    return Outcome::Success();
}

Outcome readActive(sdbus::Bus& bus, const std::string& path, std::string_view action, ActiveConnection& connection)
{
    const sdbus::Object active { serviceName, path, activeInterface };
    connection.path = path;
    std::string type;
    if (auto read = readString(bus, active, "Type", action, type); !read.ok())
        return read;
    if (auto read = readString(bus, active, "Id", action, connection.id); !read.ok())
        return read;
    const auto state = bus.GetProperty(active, "State", "u");
    if (!state.ok())
        return sdbus::FailureOf(state, action, serviceLabel, bus);
    if (const int result = sd_bus_message_read(state.message(), "u", &connection.state); result < 0)
        return unreadable(action, result);
    connection.dialUp = isDialUp(bus, type, active);
    return Outcome::Success();
}

Outcome listActive(sdbus::Bus& bus, std::string_view action, std::vector<ActiveConnection>& connections)
{
    const auto reply = bus.GetProperty(manager, "ActiveConnections", "ao");
    if (!reply.ok())
        return sdbus::FailureOf(reply, action, serviceLabel, bus);
    std::vector<std::string> paths;
    sd_bus_message* message = reply.message();
    int result = sd_bus_message_enter_container(message, 'a', "o");
    const char* path = nullptr;
    while (result >= 0 && (result = sd_bus_message_read(message, "o", &path)) > 0)
        paths.emplace_back(path);
    if (result < 0)
        return unreadable(action, result);
    for (const auto& activePath : paths) {
        ActiveConnection connection;
        // A connection that went away while being looked at is no longer up; one that was not
        // looked at in time is not known either way.
        auto read = readActive(bus, activePath, action, connection);
        if (read.ok())
            connections.push_back(std::move(connection));
        else if (read.errorCode == syserr::Timeout)
            return read;
    }
    return Outcome::Success();
}

} // namespace

NetworkManager::NetworkManager(std::chrono::milliseconds requestTimeout, std::chrono::milliseconds queryTimeout)
    : requestTimeout_(requestTimeout)
    , queryTimeout_(queryTimeout)
{
}

Outcome NetworkManager::QueryConnectedState(ConnectedState& state)
{
    constexpr std::string_view action = "read the connection state";
    state = {};
    auto bus = sdbus::Bus::Open(sdbus::BusKind::System, queryTimeout_, sdbus::Bound::AllCalls);
    const auto reply = bus.GetProperty(manager, "State", "u");
    if (!reply.ok())
        return sdbus::FailureOf(reply, action, serviceLabel, bus);
    std::uint32_t managerState = 0;
    if (const int result = sd_bus_message_read(reply.message(), "u", &managerState); result < 0)
        return unreadable(action, result);
    if (managerState < stateConnectedLocal)
        return Outcome::Success();

    std::vector<ActiveConnection> connections;
    if (auto listed = listActive(bus, action, connections); !listed.ok())
        return listed;
    state.connected = true;
    for (const auto& connection : connections)
        if (connection.state == activeActivated)
            state.flags |= connection.dialUp ? InternetConnectionModem : InternetConnectionLan;
    if (state.flags == 0)
        state.flags = InternetConnectionLan;
    return Outcome::Success();
}

Outcome NetworkManager::HangUpDialUp() const
{
    constexpr std::string_view action = "hang up";
    auto bus = sdbus::Bus::Open(sdbus::BusKind::System, requestTimeout_);
    std::vector<ActiveConnection> connections;
    if (auto listed = listActive(bus, action, connections); !listed.ok())
        return listed;
    Outcome outcome;
    for (const auto& connection : connections) {
        if (!connection.dialUp || (connection.state != activeActivating && connection.state != activeActivated))
            continue;
        const auto reply = bus.Call(manager, "DeactivateConnection", "o", connection.path.c_str());
        if (!reply.ok() && outcome.ok())
            outcome = sdbus::FailureOf(reply, "hang up \"" + connection.id + "\"", serviceLabel, bus);
    }
    return outcome;
}

} // namespace vespern
