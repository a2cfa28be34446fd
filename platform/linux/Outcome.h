#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace vespern {

// System error codes the desktop services' answers are reported as.
namespace syserr {
inline constexpr std::uint32_t AccessDenied = 5; // ERROR_ACCESS_DENIED
inline constexpr std::uint32_t NotSupported = 50; // ERROR_NOT_SUPPORTED
inline constexpr std::uint32_t InvalidParameter = 87; // ERROR_INVALID_PARAMETER
inline constexpr std::uint32_t NotFound = 1168; // ERROR_NOT_FOUND
inline constexpr std::uint32_t Timeout = 1460; // ERROR_TIMEOUT
inline constexpr std::uint32_t ServerUnavailable = 1722; // RPC_S_SERVER_UNAVAILABLE
inline constexpr std::uint32_t GenFailure = 31; // ERROR_GEN_FAILURE
} // namespace syserr

// How one request to a desktop service ended: success, or an error code with the line for
// standard error and the reason in plain words for the user ("authentication is required").
struct Outcome {
    std::uint32_t errorCode = 0;
    std::string message;
    std::string reason;

    bool ok() const { return errorCode == 0; }
    // Refused by the system, as opposed to failed on the way.
    bool refused() const { return errorCode == syserr::AccessDenied; }
    static Outcome Success() { return {}; }
    static Outcome Failure(std::uint32_t code, std::string line, std::string reason)
    {
        return { code, std::move(line), std::move(reason) };
    }
};

} // namespace vespern
