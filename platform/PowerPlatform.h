#pragma once

// Every operating-system operation the program makes, in the system's own vocabulary.
// Handles are 32-bit numbers and binary records are byte buffers with the exact layouts
// of the 32-bit Windows build, never the host's struct layout.

#include <array>
#include <cstdint>
#include <optional>
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

class PowerPlatform {
public:
    virtual ~PowerPlatform() = default;

    // System information
    virtual bool GetVersionExA(OsVersionInfo& info) = 0;
    virtual bool GetComputerNameA(std::span<char> buffer, std::uint32_t& size) = 0;
    virtual bool GetSystemPowerStatus(SystemPowerStatus& status) = 0;
    virtual void GetLocalTime(SystemTime& time) = 0;
    // LOCALE_STIMEFORMAT gives the long time format as a picture ("HH:mm:ss", "h:mm:ss tt").
    virtual std::string GetLocaleInfoA(std::uint32_t locale, std::uint32_t lcType) = 0;
    virtual std::int32_t CompareStringA(std::uint32_t locale, std::uint32_t flags, const std::string& string1,
        std::int32_t count1, const std::string& string2, std::int32_t count2)
        = 0;
    virtual std::uint32_t GetLastError() = 0;
    // The program's 8-bit text is in the system's ANSI code page (codePage w32::CpAcp); the few
    // operations that take wide text get UTF-16.
    virtual std::u16string MultiByteToWideChar(std::uint32_t codePage, const std::string& text) = 0;
    virtual std::string WideCharToMultiByte(std::uint32_t codePage, const std::u16string& text) = 0;
    // ReturnLength is always NULL; a status of 0 is success.
    virtual std::int32_t NtQuerySystemInformation(
        std::uint32_t infoClass, std::span<std::uint8_t> buffer, std::uint32_t length)
        = 0;
    virtual Handle CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t processId) = 0;
    virtual bool Process32First(Handle snapshot, ProcessEntry32 entry) = 0;
    virtual bool Process32Next(Handle snapshot, ProcessEntry32 entry) = 0;
    virtual bool CloseHandle(Handle object) = 0;

    // Modules; module 0 of GetModuleFileNameA is the program's own executable.
    virtual ModuleHandle LoadLibraryA(const std::string& fileName) = 0;
    virtual ModuleHandle GetModuleHandleA(const std::string& moduleName) = 0;
    virtual ProcAddress GetProcAddress(ModuleHandle module, const std::string& procName) = 0;
    virtual bool FreeLibrary(ModuleHandle module) = 0;
    virtual std::string GetModuleFileNameA(ModuleHandle module) = 0;

    // Token and privileges; the process is always GetCurrentProcess() and PreviousState NULL.
    virtual bool OpenProcessToken(std::uint32_t desiredAccess, Handle& tokenHandle) = 0;
    virtual bool LookupPrivilegeValueA(
        const std::optional<std::string>& systemName, const std::string& name, Luid& luid)
        = 0;
    virtual bool AdjustTokenPrivileges(Handle tokenHandle, bool disableAllPrivileges, const TokenPrivileges& newState,
        std::uint32_t bufferLength, std::uint32_t& returnLength)
        = 0;

    // Power and session
    virtual bool ExitWindowsEx(std::uint32_t uFlags, std::uint32_t dwReserved) = 0;
    virtual bool SetSystemPowerState(bool fSuspend, bool fForce) = 0;
    virtual bool LockWorkStation() = 0;
    virtual std::intptr_t SendMessageA(Window hWnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual std::intptr_t DefWindowProcA(Window hWnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)
        = 0;
    // The two BOOL arguments are passed as 0 for FALSE and -1 (all bits set) for TRUE.
    virtual bool InitiateSystemShutdownA(const std::string& machineName, const std::string& message,
        std::uint32_t timeout, std::int32_t forceAppsClosed, std::int32_t rebootAfterShutdown)
        = 0;

    // Dial-up connection
    virtual bool InternetGetConnectedState(std::uint32_t& flags, std::uint32_t reserved) = 0;
    virtual bool InternetAutodialHangup(std::uint32_t reserved) = 0;

    // Shell
    virtual std::intptr_t ShellExecuteA(Window hwnd, const std::optional<std::string>& operation,
        const std::string& file, const std::optional<std::string>& parameters,
        const std::optional<std::string>& directory, std::int32_t showCmd)
        = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // Called through the entry that GetProcAddress found in "Shell32.dll".
    virtual std::int32_t SHEmptyRecycleBinA(
        Window hwnd, const std::optional<std::string>& rootPath, std::uint32_t flags)
        = 0;
    virtual std::int32_t SHGetSpecialFolderLocation(Window hwndOwner, std::int32_t folder, ItemIdList& pidl) = 0;
    // Modal; returns the chosen item (0 when cancelled) and fills displayName up to its zero byte.
    virtual ItemIdList SHBrowseForFolderA(const BrowseInfo& info, DisplayNameBuffer& displayName) = 0;
    // Frees an identifier list through the shell's allocator (SHGetMalloc, then Free).
    virtual void SHGetMallocFree(ItemIdList pidl) = 0;

    // Registry; each returns a system error code, 0 on success. An empty data span asks for the size only.
    virtual std::int32_t RegCreateKeyExA(HKey key, const std::string& subKey, std::uint32_t options,
        std::uint32_t samDesired, HKey& result, std::uint32_t& disposition)
        = 0;
    virtual std::int32_t RegOpenKeyExA(
        HKey key, const std::string& subKey, std::uint32_t options, std::uint32_t samDesired, HKey& result)
        = 0;
    virtual std::int32_t RegQueryValueExA(HKey key, const std::string& valueName, std::uint32_t& type,
        std::span<std::uint8_t> data, std::uint32_t& dataSize)
        = 0;
    virtual std::int32_t RegSetValueExA(
        HKey key, const std::string& valueName, std::uint32_t type, std::span<const std::uint8_t> data)
        = 0;
    virtual std::int32_t RegDeleteValueA(HKey key, const std::string& valueName) = 0;
    virtual std::int32_t RegCloseKey(HKey key) = 0;

    // Files
    virtual bool DeleteFileA(const std::string& fileName) = 0;
    virtual std::uint32_t GetFileAttributesA(const std::string& fileName) = 0;
    virtual bool CreateDirectoryA(const std::string& pathName) = 0;

    // COM and the shell link object; class and interface ids in their braced text form.
    virtual std::int32_t CoInitialize() = 0;
    virtual std::int32_t CoCreateInstance(
        const std::string& clsid, std::uint32_t clsContext, const std::string& iid, ComObject& object)
        = 0;
    virtual std::int32_t QueryInterface(ComObject object, const std::string& iid, ComObject& result) = 0;
    virtual std::uint32_t Release(ComObject object) = 0;
    virtual std::int32_t IShellLinkA_SetArguments(ComObject link, const std::string& arguments) = 0;
    virtual std::int32_t IShellLinkA_SetPath(ComObject link, const std::string& path) = 0;
    virtual std::int32_t IShellLinkA_SetWorkingDirectory(ComObject link, const std::string& directory) = 0;
    virtual std::int32_t IShellLinkA_SetDescription(ComObject link, const std::string& description) = 0;
    virtual std::int32_t IShellLinkA_SetIconLocation(ComObject link, const std::string& iconPath, std::int32_t index)
        = 0;
    virtual std::int32_t IPersistFile_Save(ComObject file, const std::u16string& fileName, bool remember) = 0;
    // The system's text for an error code (FormatMessage).
    virtual std::string SysErrorMessage(std::int32_t code) = 0;
};

} // namespace vespern
