#pragma once

// The dial-up requests, made to NetworkManager (org.freedesktop.NetworkManager) on the system bus.

#include "platform/linux/Outcome.h"

#include <chrono>
#include <cstdint>

namespace vespern {

// INTERNET_CONNECTION_* flags of InternetGetConnectedState.
inline constexpr std::uint32_t InternetConnectionModem = 0x01;
inline constexpr std::uint32_t InternetConnectionLan = 0x02;

struct ConnectedState {
    bool connected = false;
    std::uint32_t flags = 0;
};

class NetworkManager {
public:
    // The hang-up may wait requestTimeout for each answer; the state query waits queryTimeout
    // for all of its answers together, since the window waits for it.
    NetworkManager(std::chrono::milliseconds requestTimeout, std::chrono::milliseconds queryTimeout);

    // Connected while NetworkManager reports any connected state (local, site or global); the
    // flags say whether a dial-up kind of connection (modem) or another one (LAN) is up.
    Outcome QueryConnectedState(ConnectedState& state);
    // Deactivates the active connections of dial-up kinds and leaves every other one alone.
    Outcome HangUpDialUp() const;

private:
    std::chrono::milliseconds requestTimeout_;
    std::chrono::milliseconds queryTimeout_;
};

} // namespace vespern
