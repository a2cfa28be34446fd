#pragma once

// The types the platform's operations share, in the system's own vocabulary. Handles are 32-bit
// numbers and binary records are byte buffers with the exact layouts of the 32-bit Windows build,
// never the host's struct layout.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace vespern {

using Handle = std::uint32_t; // HANDLE
using ModuleHandle = std::uint32_t; // HMODULE, 0 when not loaded
using ProcAddress = std::uint32_t; // FARPROC, 0 when not found
using HKey = std::uint32_t; // HKEY, the roots are w32::Hkey*
using ComObject = std::uint32_t; // an interface pointer, 0 when none
using ItemIdList = std::uint32_t; // PIDL, 0 when none

inline constexpr Handle InvalidHandleValue = 0xFFFFFFFF;

// The program's two system-level windows that requests are addressed to.
enum class Window {
    Application, // the hidden top-level window that owns the program's windows
    Main, // the main window
};

struct OsVersionInfo {
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwBuildNumber = 0;
    std::uint32_t dwPlatformId = 0;
};

struct Luid {
    std::uint32_t LowPart = 0;
    std::int32_t HighPart = 0;
    bool operator==(const Luid&) const = default;
};

// TOKEN_PRIVILEGES with one entry, the only form the program uses.
struct TokenPrivileges {
    std::uint32_t PrivilegeCount = 0;
    Luid PrivilegeLuid;
    std::uint32_t Attributes = 0;
};

struct SystemPowerStatus {
    std::uint8_t ACLineStatus = 255;
    std::uint8_t BatteryFlag = 255;
    std::uint8_t BatteryLifePercent = 255;
    std::uint8_t SystemStatusFlag = 0;
    std::uint32_t BatteryLifeTime = 0xFFFFFFFF;
    std::uint32_t BatteryFullLifeTime = 0xFFFFFFFF;
};

struct SystemTime {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;
    std::uint16_t wDayOfWeek = 0;
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;
};

// The fields of BROWSEINFOA the program sets; the display-name buffer is passed separately.
struct BrowseInfo {
    Window hwndOwner = Window::Application;
    ItemIdList pidlRoot = 0;
    std::string lpszTitle;
    std::uint32_t ulFlags = 0;
};

using ProcessEntry32 = std::span<std::uint8_t, 296>;
using DisplayNameBuffer = std::array<char, 261>;

} // namespace vespern
