#pragma once

// The real backend on Windows: every operation is the Win32 call of the same name, with the
// arguments passed through and the results returned as the system gives them. Handles, keys,
// modules, interface and identifier-list pointers are the 32-bit values of the i386 build; the
// records are in its layout.

#include "PointerTokens.h"
#include "platform/PowerPlatform.h"
#include "platform/UserNotice.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vespern {

class Win32Platform final : public PowerPlatform {
public:
    // The native handle of each of the program's windows, 0 while it has none.
    using WindowHandles = std::function<std::uintptr_t(Window window)>;

    // notices: where a power request the system refused is told to the user.
    Win32Platform(WindowHandles windows, UserNoticeSink notices);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    bool GetVersionExA(OsVersionInfo& info) override;
    bool GetComputerNameA(std::span<char> buffer, std::uint32_t& size) override;
    bool GetSystemPowerStatus(SystemPowerStatus& status) override;
    void GetLocalTime(SystemTime& time) override;
    std::string GetLocaleInfoA(std::uint32_t locale, std::uint32_t lcType) override;
    std::int32_t CompareStringA(std::uint32_t locale, std::uint32_t flags, const std::string& string1,
        std::int32_t count1, const std::string& string2, std::int32_t count2) override;
    std::uint32_t GetLastError() override;
    std::u16string MultiByteToWideChar(std::uint32_t codePage, const std::string& text) override;
    std::string WideCharToMultiByte(std::uint32_t codePage, const std::u16string& text) override;
    std::int32_t NtQuerySystemInformation(
        std::uint32_t infoClass, std::span<std::uint8_t> buffer, std::uint32_t length) override;
    Handle CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t processId) override;
    bool Process32First(Handle snapshot, ProcessEntry32 entry) override;
    bool Process32Next(Handle snapshot, ProcessEntry32 entry) override;
    bool CloseHandle(Handle object) override;

    ModuleHandle LoadLibraryA(const std::string& fileName) override;
    ModuleHandle GetModuleHandleA(const std::string& moduleName) override;
    ProcAddress GetProcAddress(ModuleHandle module, const std::string& procName) override;
    bool FreeLibrary(ModuleHandle module) override;
    std::string GetModuleFileNameA(ModuleHandle module) override;

    bool OpenProcessToken(std::uint32_t desiredAccess, Handle& tokenHandle) override;
    bool LookupPrivilegeValueA(
        const std::optional<std::string>& systemName, const std::string& name, Luid& luid) override;
    bool AdjustTokenPrivileges(Handle tokenHandle, bool disableAllPrivileges, const TokenPrivileges& newState,
        std::uint32_t bufferLength, std::uint32_t& returnLength) override;

    bool ExitWindowsEx(std::uint32_t uFlags, std::uint32_t dwReserved) override;
    bool SetSystemPowerState(bool fSuspend, bool fForce) override;
    bool LockWorkStation() override;
    std::intptr_t SendMessageA(Window hWnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;
    std::intptr_t DefWindowProcA(Window hWnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool InitiateSystemShutdownA(const std::string& machineName, const std::string& message, std::uint32_t timeout,
        std::int32_t forceAppsClosed, std::int32_t rebootAfterShutdown) override;

    bool InternetGetConnectedState(std::uint32_t& flags, std::uint32_t reserved) override;
    bool InternetAutodialHangup(std::uint32_t reserved) override;

    std::intptr_t ShellExecuteA(Window hwnd, const std::optional<std::string>& operation, const std::string& file,
        const std::optional<std::string>& parameters, const std::optional<std::string>& directory,
        std::int32_t showCmd) override;
    void Sleep(std::uint32_t milliseconds) override;
    std::int32_t SHEmptyRecycleBinA(
        Window hwnd, const std::optional<std::string>& rootPath, std::uint32_t flags) override;
    std::int32_t SHGetSpecialFolderLocation(Window hwndOwner, std::int32_t folder, ItemIdList& pidl) override;
    ItemIdList SHBrowseForFolderA(const BrowseInfo& info, DisplayNameBuffer& displayName) override;
    void SHGetMallocFree(ItemIdList pidl) override;

    std::int32_t RegCreateKeyExA(HKey key, const std::string& subKey, std::uint32_t options, std::uint32_t samDesired,
        HKey& result, std::uint32_t& disposition) override;
    std::int32_t RegOpenKeyExA(
        HKey key, const std::string& subKey, std::uint32_t options, std::uint32_t samDesired, HKey& result) override;
    std::int32_t RegQueryValueExA(HKey key, const std::string& valueName, std::uint32_t& type,
        std::span<std::uint8_t> data, std::uint32_t& dataSize) override;
    std::int32_t RegSetValueExA(
        HKey key, const std::string& valueName, std::uint32_t type, std::span<const std::uint8_t> data) override;
    std::int32_t RegDeleteValueA(HKey key, const std::string& valueName) override;
    std::int32_t RegCloseKey(HKey key) override;

    bool DeleteFileA(const std::string& fileName) override;
    std::uint32_t GetFileAttributesA(const std::string& fileName) override;
    bool CreateDirectoryA(const std::string& pathName) override;

    std::int32_t CoInitialize() override;
    std::int32_t CoCreateInstance(
        const std::string& clsid, std::uint32_t clsContext, const std::string& iid, ComObject& object) override;
    std::int32_t QueryInterface(ComObject object, const std::string& iid, ComObject& result) override;
    std::uint32_t Release(ComObject object) override;
    std::int32_t IShellLinkA_SetArguments(ComObject link, const std::string& arguments) override;
    std::int32_t IShellLinkA_SetPath(ComObject link, const std::string& path) override;
    std::int32_t IShellLinkA_SetWorkingDirectory(ComObject link, const std::string& directory) override;
    std::int32_t IShellLinkA_SetDescription(ComObject link, const std::string& description) override;
    std::int32_t IShellLinkA_SetIconLocation(ComObject link, const std::string& iconPath, std::int32_t index) override;
    std::int32_t IPersistFile_Save(ComObject file, const std::u16string& fileName, bool remember) override;
    std::string SysErrorMessage(std::int32_t code) override;

private:
    // Tells the user that a power request failed and why; the last error stays as it was.
    bool refused(bool succeeded, std::string_view action);

    WindowHandles windows_;
    PointerTokens pointers_;
    UserNoticeSink notices_;
    // COM is initialised once on the user-interface thread and ended with the platform.
    bool comInitialised_ = false;
};

} // namespace vespern
