#pragma once

// What the system reports: its version, the computer's name, the power status, the local time
// and the user's formats, the processor records (NtQuerySystemInformation) and the toolhelp
// process walk; and the wait of the calling thread.

#include "platform/Win32Types.h"

#include <cstdint>
#include <span>
#include <string>

namespace vespern {

class SystemInformation {
public:
    virtual ~SystemInformation() = default;

    virtual bool GetVersionExA(OsVersionInfo& info) = 0;
    virtual bool GetComputerNameA(std::span<char> buffer, std::uint32_t& size) = 0;
    virtual bool GetSystemPowerStatus(SystemPowerStatus& status) = 0;
    virtual void GetLocalTime(SystemTime& time) = 0;
    // LOCALE_STIMEFORMAT gives the long time format as a picture ("HH:mm:ss", "h:mm:ss tt").
    virtual std::string GetLocaleInfoA(std::uint32_t locale, std::uint32_t lcType) = 0;
    virtual std::int32_t CompareStringA(std::uint32_t locale, std::uint32_t flags, const std::string& string1,
        std::int32_t count1, const std::string& string2, std::int32_t count2)
        = 0;
    // ReturnLength is always NULL; a status of 0 is success.
    virtual std::int32_t NtQuerySystemInformation(
        std::uint32_t infoClass, std::span<std::uint8_t> buffer, std::uint32_t length)
        = 0;
    virtual Handle CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t processId) = 0;
    virtual bool Process32First(Handle snapshot, ProcessEntry32 entry) = 0;
    virtual bool Process32Next(Handle snapshot, ProcessEntry32 entry) = 0;
    virtual bool CloseHandle(Handle object) = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

} // namespace vespern
