#pragma once

// The remote shutdown request to a Windows computer (InitShutdown pipe, initshutdown_Init over
// SMB), sent with Samba's client library through its Python bindings: they are the Samba client
// that passes the time-out unchanged (`net rpc shutdown` turns a time-out of 0 into 20 seconds).
// Nothing here ever acts on this computer.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace vespern {

// The computer part of a name as typed or as the computer browser fills it ("\\PC01" gives "PC01").
std::string NetworkComputerName(const std::string& machineName);

struct SocketAddress {
    sockaddr_storage storage {};
    socklen_t length = 0;
};

struct ComputerLookup {
    std::uint32_t error = 0; // a system error code, 0 when found
    std::string reason; // why it was not found
    std::vector<SocketAddress> addresses;
};

// Looks the computer up through the system resolver (hosts file, DNS, and whatever the name
// service switch adds).
ComputerLookup LookUpComputer(const std::string& computer);

// remote.auth in the vespern directory of the configuration home; empty without a home.
std::filesystem::path RemoteAuthFilePath();

struct RemoteShutdownSettings {
    std::filesystem::path python = "/usr/bin/python3";
    std::chrono::milliseconds runTime { 20000 }; // the whole exchange with the computer
    std::chrono::milliseconds connectTime { 5000 }; // reaching its SMB port
};

class RemoteShutdown {
public:
    using ErrorSink = std::function<void(const std::string& line)>;

    explicit RemoteShutdown(ErrorSink errors, RemoteShutdownSettings settings = {});

    // Returns 0 when the computer accepted the request, otherwise a system error code after one
    // line on the error sink that names the reason.
    std::uint32_t Send(const std::string& machineName, const std::string& message, std::uint32_t timeout,
        bool forceAppsClosed, bool rebootAfterShutdown);

private:
    std::uint32_t fail(const std::string& computer, std::uint32_t error, const std::string& reason);
    // The credentials file to hand to Samba: nullopt when it must not be used (reported),
    // an empty path when there is none.
    std::optional<std::filesystem::path> authFile(const std::string& computer, std::uint32_t& error);
    std::optional<std::vector<std::uint16_t>> ports(const std::string& computer, std::uint32_t& error);

    ErrorSink errors_;
    RemoteShutdownSettings settings_;
};

} // namespace vespern
