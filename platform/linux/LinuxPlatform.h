#pragma once

// The real backend on Linux. Each group of operations maps to the service the desktop offers
// for it; an operation without a mapping says so on standard error and reports failure.
// Requests to desktop services are accepted at once and made on a thread of their own; what
// they bring is handled when the message loop runs Pump().

#include "Outcome.h"
#include "platform/ComputerDiscovery.h"
#include "platform/PowerPlatform.h"
#include "platform/UserNotice.h"
#include "platform/linux/dbus/BackgroundRequests.h"
#include "platform/linux/dbus/Logind.h"
#include "platform/linux/dbus/NetworkManager.h"
#include "platform/linux/dbus/ScreenSaver.h"
#include "platform/linux/dbus/SessionManager.h"
#include "platform/linux/power/DisplayPower.h"
#include "platform/linux/registry/RegistryStore.h"
#include "platform/linux/shell/ShellLauncher.h"
#include "platform/linux/shell/ShellLinkObjects.h"
#include "platform/linux/system/SystemInformationRecords.h"
#include "platform/linux/system/ToolhelpSnapshots.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vespern {

struct LinuxPaths {
    std::filesystem::path sysRoot = "/sys"; // power supplies, online processors
    std::filesystem::path procRoot = "/proc";
    // How long a desktop service (logind, NetworkManager, the screensaver) may take to answer a
    // request: the bus's own usual time, since nobody waits for it.
    std::chrono::milliseconds busTimeout { 25000 };
    // How long a request that polkit guards may wait while the desktop's agent asks for a password.
    std::chrono::milliseconds authorizationTimeout { 300000 };
    // How long a query whose answer a window waits for may take, all its calls together; after
    // it the answer counts as unknown.
    std::chrono::milliseconds queryTimeout { 250 };
    RegistryPaths registry = RegistryPaths::FromEnvironment();
    std::filesystem::path dataHome; // holds the home trash; empty: the user's data home when emptying
    std::filesystem::path mountTable; // volumes with a trash; empty: procRoot/self/mountinfo
    std::string opener = "xdg-open"; // opens files that are not programs
};

class LinuxPlatform final : public PowerPlatform {
public:
    using ErrorSink = std::function<void(const std::string& line)>;

    // errors: the standard-error lines; notices: what the user must also hear about in the window.
    explicit LinuxPlatform(LinuxPaths paths = {}, ErrorSink errors = {}, UserNoticeSink notices = {});
    ~LinuxPlatform() override;

    // The network folder is the computers that discovery finds (Avahi by default); the browse
    // dialog is the picker that the window system installs.
    void SetComputerDiscovery(std::unique_ptr<ComputerDiscovery> discovery);
    void SetComputerPicker(ComputerPicker picker);
    // Brings the answers of the requests to this thread; the message loop watches it.
    EventPump& Pump() { return requests_; }

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
    // Reports an operation that this backend cannot carry out yet and records the error code.
    void unavailable(const char* operation);
    // Records a failed request's error code, reports its line and tells the user that the
    // action failed and why (no notice without an action); true when it succeeded.
    bool report(const Outcome& outcome, std::string_view action);
    // Accepts a request and makes it on the requests' thread; what fails there is reported.
    bool request(std::string action, BackgroundRequests::Request work);
    // Log off, power off or restart: through the desktop's session manager unless forced.
    Outcome endSession(SessionEnd what, bool force) const;

    LinuxPaths paths_;
    ErrorSink errors_;
    UserNoticeSink notices_;
    ToolhelpSnapshots snapshots_;
    SystemInformationRecords systemInformation_;
    ShellLauncher launcher_;
    std::uint32_t lastError_ = 0;
    Logind logind_;
    SessionManager sessionManager_;
    NetworkManager networkManager_;
    ScreenSaver screenSaver_;
    DisplayPower displayPower_;
    std::unique_ptr<ComputerDiscovery> discovery_;
    ComputerPicker picker_;
    ItemIdList lastIdList_ = 0;
    RegistryStore registry_;
    ShellLinkObjects links_;
    // Last: its requests use the members above until it is gone.
    BackgroundRequests requests_;
};

} // namespace vespern
