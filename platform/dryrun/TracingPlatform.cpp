#include "TracingPlatform.h"

#include "platform/Win32Constants.h"

#include <cstdio>
#include <sstream>
#include <utility>

namespace vespern {

namespace {

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '"':
            out += "\\\"";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string quoted(const std::optional<std::string>& text)
{
    return text ? quoted(*text) : std::string("NULL");
}

std::string hex(std::uint64_t value, int digits = 0)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return buffer;
}

std::string boolText(bool value)
{
    return value ? "TRUE" : "FALSE";
}

std::string windowText(Window window)
{
    return window == Window::Application ? "application" : "main";
}

} // namespace

TracingPlatform::TracingPlatform(PowerPlatform& inner, Mode mode, Sink sink)
    : inner_(inner)
    , mode_(mode)
    , sink_(std::move(sink))
{
}

TracingPlatform::TracingPlatform(std::unique_ptr<PowerPlatform> inner, Mode mode, Sink sink)
    : owned_(std::move(inner))
    , inner_(*owned_)
    , mode_(mode)
    , sink_(std::move(sink))
{
}

bool TracingPlatform::trace(Kind kind, const std::string& line)
{
    const bool recording = mode_ == Mode::Record;
    if (recording || kind != Kind::Query)
        sink_(line);
    const bool forward = recording || kind != Kind::Change;
    lastErrorFromInner_ = forward;
    if (!forward)
        lastError_ = w32::ErrorSuccess;
    return forward;
}

bool TracingPlatform::GetVersionExA(OsVersionInfo& info)
{
    trace(Kind::Step, "GetVersionExA");
    return inner_.GetVersionExA(info);
}

bool TracingPlatform::GetComputerNameA(std::span<char> buffer, std::uint32_t& size)
{
    trace(Kind::Query, "GetComputerNameA nSize=" + std::to_string(size));
    return inner_.GetComputerNameA(buffer, size);
}

bool TracingPlatform::GetSystemPowerStatus(SystemPowerStatus& status)
{
    trace(Kind::Query, "GetSystemPowerStatus");
    return inner_.GetSystemPowerStatus(status);
}

void TracingPlatform::GetLocalTime(SystemTime& time)
{
    trace(Kind::Query, "GetLocalTime");
    inner_.GetLocalTime(time);
}

std::string TracingPlatform::GetLocaleInfoA(std::uint32_t locale, std::uint32_t lcType)
{
    trace(Kind::Query, "GetLocaleInfoA Locale=" + hex(locale) + " LCType=" + hex(lcType));
    return inner_.GetLocaleInfoA(locale, lcType);
}

std::int32_t TracingPlatform::CompareStringA(std::uint32_t locale, std::uint32_t flags, const std::string& string1,
    std::int32_t count1, const std::string& string2, std::int32_t count2)
{
    trace(Kind::Step,
        "CompareStringA Locale=" + hex(locale) + " dwCmpFlags=" + std::to_string(flags)
            + " lpString1=" + quoted(string1) + " cchCount1=" + std::to_string(count1) + " lpString2=" + quoted(string2)
            + " cchCount2=" + std::to_string(count2));
    return inner_.CompareStringA(locale, flags, string1, count1, string2, count2);
}

// Conversions change nothing and ask the system for nothing: they are not traced.
std::u16string TracingPlatform::MultiByteToWideChar(std::uint32_t codePage, const std::string& text)
{
    return inner_.MultiByteToWideChar(codePage, text);
}

std::string TracingPlatform::WideCharToMultiByte(std::uint32_t codePage, const std::u16string& text)
{
    return inner_.WideCharToMultiByte(codePage, text);
}

// Wide text is shown in the 8-bit text it came from, so that every path reads as it is.
std::string TracingPlatform::wideQuoted(const std::u16string& text)
{
    return "L" + quoted(inner_.WideCharToMultiByte(w32::CpAcp, text));
}

std::uint32_t TracingPlatform::GetLastError()
{
    // A suppressed request succeeded as far as the caller can tell.
    const bool fromInner = lastErrorFromInner_;
    trace(Kind::Query, "GetLastError");
    lastErrorFromInner_ = fromInner;
    return fromInner ? inner_.GetLastError() : lastError_;
}

std::int32_t TracingPlatform::NtQuerySystemInformation(
    std::uint32_t infoClass, std::span<std::uint8_t> buffer, std::uint32_t length)
{
    trace(Kind::Query,
        "NtQuerySystemInformation SystemInformationClass=" + std::to_string(infoClass)
            + " SystemInformationLength=" + std::to_string(length) + " ReturnLength=NULL");
    return inner_.NtQuerySystemInformation(infoClass, buffer, length);
}

Handle TracingPlatform::CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t processId)
{
    trace(Kind::Query,
        "CreateToolhelp32Snapshot dwFlags=" + std::to_string(flags) + " th32ProcessID=" + std::to_string(processId));
    return inner_.CreateToolhelp32Snapshot(flags, processId);
}

bool TracingPlatform::Process32First(Handle snapshot, ProcessEntry32 entry)
{
    trace(Kind::Query, "Process32First hSnapshot=" + hex(snapshot));
    return inner_.Process32First(snapshot, entry);
}

bool TracingPlatform::Process32Next(Handle snapshot, ProcessEntry32 entry)
{
    trace(Kind::Query, "Process32Next hSnapshot=" + hex(snapshot));
    return inner_.Process32Next(snapshot, entry);
}

bool TracingPlatform::CloseHandle(Handle object)
{
    trace(Kind::Query, "CloseHandle hObject=" + hex(object));
    return inner_.CloseHandle(object);
}

ModuleHandle TracingPlatform::LoadLibraryA(const std::string& fileName)
{
    trace(Kind::Step, "LoadLibraryA lpLibFileName=" + quoted(fileName));
    return inner_.LoadLibraryA(fileName);
}

ModuleHandle TracingPlatform::GetModuleHandleA(const std::string& moduleName)
{
    trace(Kind::Query, "GetModuleHandleA lpModuleName=" + quoted(moduleName));
    return inner_.GetModuleHandleA(moduleName);
}

ProcAddress TracingPlatform::GetProcAddress(ModuleHandle module, const std::string& procName)
{
    trace(Kind::Step, "GetProcAddress hModule=" + hex(module) + " lpProcName=" + quoted(procName));
    return inner_.GetProcAddress(module, procName);
}

bool TracingPlatform::FreeLibrary(ModuleHandle module)
{
    trace(Kind::Step, "FreeLibrary hLibModule=" + hex(module));
    return inner_.FreeLibrary(module);
}

std::string TracingPlatform::GetModuleFileNameA(ModuleHandle module)
{
    trace(Kind::Query, "GetModuleFileNameA hModule=" + hex(module));
    return inner_.GetModuleFileNameA(module);
}

bool TracingPlatform::OpenProcessToken(std::uint32_t desiredAccess, Handle& tokenHandle)
{
    trace(Kind::Step, "OpenProcessToken ProcessHandle=GetCurrentProcess() DesiredAccess=" + hex(desiredAccess, 2));
    return inner_.OpenProcessToken(desiredAccess, tokenHandle);
}

bool TracingPlatform::LookupPrivilegeValueA(
    const std::optional<std::string>& systemName, const std::string& name, Luid& luid)
{
    trace(Kind::Step, "LookupPrivilegeValueA lpSystemName=" + quoted(systemName) + " lpName=" + quoted(name));
    return inner_.LookupPrivilegeValueA(systemName, name, luid);
}

bool TracingPlatform::AdjustTokenPrivileges(Handle tokenHandle, bool disableAllPrivileges,
    const TokenPrivileges& newState, std::uint32_t bufferLength, std::uint32_t& returnLength)
{
    std::ostringstream line;
    line << "AdjustTokenPrivileges TokenHandle=" << hex(tokenHandle)
         << " DisableAllPrivileges=" << boolText(disableAllPrivileges) << " PrivilegeCount=" << newState.PrivilegeCount
         << " Luid=" << newState.PrivilegeLuid.HighPart << ":" << newState.PrivilegeLuid.LowPart
         << " Attributes=" << newState.Attributes << " BufferLength=" << bufferLength << " PreviousState=NULL";
    if (!trace(Kind::Change, line.str())) {
        returnLength = 0;
        return true;
    }
    return inner_.AdjustTokenPrivileges(tokenHandle, disableAllPrivileges, newState, bufferLength, returnLength);
}

bool TracingPlatform::ExitWindowsEx(std::uint32_t uFlags, std::uint32_t dwReserved)
{
    if (!trace(Kind::Change,
            "ExitWindowsEx uFlags=" + std::to_string(uFlags) + " dwReserved=" + std::to_string(dwReserved)))
        return true;
    return inner_.ExitWindowsEx(uFlags, dwReserved);
}

bool TracingPlatform::SetSystemPowerState(bool fSuspend, bool fForce)
{
    if (!trace(Kind::Change, "SetSystemPowerState fSuspend=" + boolText(fSuspend) + " fForce=" + boolText(fForce)))
        return true;
    return inner_.SetSystemPowerState(fSuspend, fForce);
}

bool TracingPlatform::LockWorkStation()
{
    if (!trace(Kind::Change, "LockWorkStation"))
        return true;
    return inner_.LockWorkStation();
}

std::intptr_t TracingPlatform::SendMessageA(Window hWnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (!trace(Kind::Change,
            "SendMessageA hWnd=" + windowText(hWnd) + " Msg=" + hex(msg, 4) + " wParam=" + hex(wParam, 4)
                + " lParam=" + std::to_string(lParam)))
        return 0;
    return inner_.SendMessageA(hWnd, msg, wParam, lParam);
}

std::intptr_t TracingPlatform::DefWindowProcA(
    Window hWnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (!trace(Kind::Change,
            "DefWindowProcA hWnd=" + windowText(hWnd) + " Msg=" + hex(msg, 4) + " wParam=" + hex(wParam, 4)
                + " lParam=" + std::to_string(lParam)))
        return 0;
    return inner_.DefWindowProcA(hWnd, msg, wParam, lParam);
}

bool TracingPlatform::InitiateSystemShutdownA(const std::string& machineName, const std::string& message,
    std::uint32_t timeout, std::int32_t forceAppsClosed, std::int32_t rebootAfterShutdown)
{
    if (!trace(Kind::Change,
            "InitiateSystemShutdownA lpMachineName=" + quoted(machineName) + " lpMessage=" + quoted(message)
                + " dwTimeout=" + std::to_string(timeout) + " bForceAppsClosed=" + std::to_string(forceAppsClosed)
                + " bRebootAfterShutdown=" + std::to_string(rebootAfterShutdown)))
        return true;
    return inner_.InitiateSystemShutdownA(machineName, message, timeout, forceAppsClosed, rebootAfterShutdown);
}

bool TracingPlatform::InternetGetConnectedState(std::uint32_t& flags, std::uint32_t reserved)
{
    trace(Kind::Step,
        "InternetGetConnectedState lpdwFlags=" + std::to_string(flags) + " dwReserved=" + std::to_string(reserved));
    return inner_.InternetGetConnectedState(flags, reserved);
}

bool TracingPlatform::InternetAutodialHangup(std::uint32_t reserved)
{
    if (!trace(Kind::Change, "InternetAutodialHangup dwReserved=" + std::to_string(reserved)))
        return true;
    return inner_.InternetAutodialHangup(reserved);
}

std::intptr_t TracingPlatform::ShellExecuteA(Window hwnd, const std::optional<std::string>& operation,
    const std::string& file, const std::optional<std::string>& parameters, const std::optional<std::string>& directory,
    std::int32_t showCmd)
{
    if (!trace(Kind::Change,
            "ShellExecuteA hwnd=" + windowText(hwnd) + " lpOperation=" + quoted(operation) + " lpFile=" + quoted(file)
                + " lpParameters=" + quoted(parameters) + " lpDirectory=" + quoted(directory)
                + " nShowCmd=" + std::to_string(showCmd)))
        return 33; // above 32 means the start succeeded
    return inner_.ShellExecuteA(hwnd, operation, file, parameters, directory, showCmd);
}

void TracingPlatform::Sleep(std::uint32_t milliseconds)
{
    trace(Kind::Step, "Sleep dwMilliseconds=" + std::to_string(milliseconds));
    inner_.Sleep(milliseconds);
}

std::int32_t TracingPlatform::SHEmptyRecycleBinA(
    Window hwnd, const std::optional<std::string>& rootPath, std::uint32_t flags)
{
    if (!trace(Kind::Change,
            "SHEmptyRecycleBinA hwnd=" + windowText(hwnd) + " pszRootPath=" + quoted(rootPath)
                + " dwFlags=" + std::to_string(flags)))
        return w32::SOk;
    return inner_.SHEmptyRecycleBinA(hwnd, rootPath, flags);
}

std::int32_t TracingPlatform::SHGetSpecialFolderLocation(Window hwndOwner, std::int32_t folder, ItemIdList& pidl)
{
    trace(Kind::Step,
        "SHGetSpecialFolderLocation hwnd=" + windowText(hwndOwner)
            + " csidl=" + hex(static_cast<std::uint32_t>(folder)));
    return inner_.SHGetSpecialFolderLocation(hwndOwner, folder, pidl);
}

ItemIdList TracingPlatform::SHBrowseForFolderA(const BrowseInfo& info, DisplayNameBuffer& displayName)
{
    trace(Kind::Step,
        "SHBrowseForFolderA hwndOwner=" + windowText(info.hwndOwner) + " pidlRoot=" + hex(info.pidlRoot)
            + " pszDisplayName[" + std::to_string(displayName.size()) + "] lpszTitle=" + quoted(info.lpszTitle)
            + " ulFlags=" + hex(info.ulFlags, 4));
    return inner_.SHBrowseForFolderA(info, displayName);
}

void TracingPlatform::SHGetMallocFree(ItemIdList pidl)
{
    trace(Kind::Step, "SHGetMallocFree pv=" + hex(pidl));
    inner_.SHGetMallocFree(pidl);
}

std::int32_t TracingPlatform::RegCreateKeyExA(HKey key, const std::string& subKey, std::uint32_t options,
    std::uint32_t samDesired, HKey& result, std::uint32_t& disposition)
{
    const std::string line = "RegCreateKeyExA hKey=" + hex(key) + " lpSubKey=" + quoted(subKey)
        + " dwOptions=" + std::to_string(options) + " samDesired=" + hex(samDesired);
    if (trace(Kind::Change, line))
        return inner_.RegCreateKeyExA(key, subKey, options, samDesired, result, disposition);
    // Reads through the key must still see what is there, so an existing key is opened for real.
    if (inner_.RegOpenKeyExA(key, subKey, options, samDesired, result) == 0) {
        disposition = w32::RegOpenedExistingKey;
        return 0;
    }
    result = nextDryKey_++;
    dryKeys_.insert(result);
    disposition = w32::RegCreatedNewKey;
    return 0;
}

std::int32_t TracingPlatform::RegOpenKeyExA(
    HKey key, const std::string& subKey, std::uint32_t options, std::uint32_t samDesired, HKey& result)
{
    trace(Kind::Query,
        "RegOpenKeyExA hKey=" + hex(key) + " lpSubKey=" + quoted(subKey) + " ulOptions=" + std::to_string(options)
            + " samDesired=" + hex(samDesired));
    return inner_.RegOpenKeyExA(key, subKey, options, samDesired, result);
}

std::int32_t TracingPlatform::RegQueryValueExA(
    HKey key, const std::string& valueName, std::uint32_t& type, std::span<std::uint8_t> data, std::uint32_t& dataSize)
{
    trace(Kind::Query,
        "RegQueryValueExA hKey=" + hex(key) + " lpValueName=" + quoted(valueName)
            + " cbData=" + std::to_string(data.size()));
    if (dryKeys_.contains(key))
        return static_cast<std::int32_t>(w32::ErrorFileNotFound);
    return inner_.RegQueryValueExA(key, valueName, type, data, dataSize);
}

std::int32_t TracingPlatform::RegSetValueExA(
    HKey key, const std::string& valueName, std::uint32_t type, std::span<const std::uint8_t> data)
{
    std::string shown;
    if (type == w32::RegDword && data.size() == 4)
        shown = std::to_string(data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24);
    else if (type == w32::RegSz || type == w32::RegExpandSz)
        // NOLINTNEXTLINE(readability-redundant-string-cstr): cut at the first zero byte, as the system does
        shown = quoted(std::string(std::string(data.begin(), data.end()).c_str()));
    else
        shown = std::to_string(data.size()) + " bytes";
    if (!trace(Kind::Change,
            "RegSetValueExA hKey=" + hex(key) + " lpValueName=" + quoted(valueName) + " dwType=" + std::to_string(type)
                + " lpData=" + shown + " cbData=" + std::to_string(data.size())))
        return 0;
    return inner_.RegSetValueExA(key, valueName, type, data);
}

std::int32_t TracingPlatform::RegDeleteValueA(HKey key, const std::string& valueName)
{
    if (!trace(Kind::Change, "RegDeleteValueA hKey=" + hex(key) + " lpValueName=" + quoted(valueName)))
        return 0;
    return inner_.RegDeleteValueA(key, valueName);
}

std::int32_t TracingPlatform::RegCloseKey(HKey key)
{
    trace(Kind::Query, "RegCloseKey hKey=" + hex(key));
    if (dryKeys_.erase(key) > 0)
        return 0;
    return inner_.RegCloseKey(key);
}

bool TracingPlatform::DeleteFileA(const std::string& fileName)
{
    if (!trace(Kind::Change, "DeleteFileA lpFileName=" + quoted(fileName)))
        return true;
    return inner_.DeleteFileA(fileName);
}

std::uint32_t TracingPlatform::GetFileAttributesA(const std::string& fileName)
{
    trace(Kind::Query, "GetFileAttributesA lpFileName=" + quoted(fileName));
    return inner_.GetFileAttributesA(fileName);
}

bool TracingPlatform::CreateDirectoryA(const std::string& pathName)
{
    if (!trace(Kind::Change, "CreateDirectoryA lpPathName=" + quoted(pathName) + " lpSecurityAttributes=NULL"))
        return true;
    return inner_.CreateDirectoryA(pathName);
}

std::int32_t TracingPlatform::CoInitialize()
{
    trace(Kind::Query, "CoInitialize pvReserved=NULL");
    return inner_.CoInitialize();
}

std::int32_t TracingPlatform::CoCreateInstance(
    const std::string& clsid, std::uint32_t clsContext, const std::string& iid, ComObject& object)
{
    trace(Kind::Step,
        "CoCreateInstance rclsid=" + clsid + " pUnkOuter=NULL dwClsContext=" + std::to_string(clsContext)
            + " riid=" + iid);
    return inner_.CoCreateInstance(clsid, clsContext, iid, object);
}

std::int32_t TracingPlatform::QueryInterface(ComObject object, const std::string& iid, ComObject& result)
{
    trace(Kind::Step, "QueryInterface this=" + hex(object) + " riid=" + iid);
    return inner_.QueryInterface(object, iid, result);
}

std::uint32_t TracingPlatform::Release(ComObject object)
{
    trace(Kind::Step, "Release this=" + hex(object));
    return inner_.Release(object);
}

std::int32_t TracingPlatform::IShellLinkA_SetArguments(ComObject link, const std::string& arguments)
{
    trace(Kind::Step, "IShellLinkA::SetArguments this=" + hex(link) + " pszArgs=" + quoted(arguments));
    return inner_.IShellLinkA_SetArguments(link, arguments);
}

std::int32_t TracingPlatform::IShellLinkA_SetPath(ComObject link, const std::string& path)
{
    trace(Kind::Step, "IShellLinkA::SetPath this=" + hex(link) + " pszFile=" + quoted(path));
    return inner_.IShellLinkA_SetPath(link, path);
}

std::int32_t TracingPlatform::IShellLinkA_SetWorkingDirectory(ComObject link, const std::string& directory)
{
    trace(Kind::Step, "IShellLinkA::SetWorkingDirectory this=" + hex(link) + " pszDir=" + quoted(directory));
    return inner_.IShellLinkA_SetWorkingDirectory(link, directory);
}

std::int32_t TracingPlatform::IShellLinkA_SetDescription(ComObject link, const std::string& description)
{
    trace(Kind::Step, "IShellLinkA::SetDescription this=" + hex(link) + " pszName=" + quoted(description));
    return inner_.IShellLinkA_SetDescription(link, description);
}

std::int32_t TracingPlatform::IShellLinkA_SetIconLocation(
    ComObject link, const std::string& iconPath, std::int32_t index)
{
    trace(Kind::Step,
        "IShellLinkA::SetIconLocation this=" + hex(link) + " pszIconPath=" + quoted(iconPath)
            + " iIcon=" + std::to_string(index));
    return inner_.IShellLinkA_SetIconLocation(link, iconPath, index);
}

std::int32_t TracingPlatform::IPersistFile_Save(ComObject file, const std::u16string& fileName, bool remember)
{
    if (!trace(Kind::Change,
            "IPersistFile::Save this=" + hex(file) + " pszFileName=" + wideQuoted(fileName)
                + " fRemember=" + boolText(remember)))
        return w32::SOk;
    return inner_.IPersistFile_Save(file, fileName, remember);
}

std::string TracingPlatform::SysErrorMessage(std::int32_t code)
{
    trace(Kind::Query, "SysErrorMessage " + hex(static_cast<std::uint32_t>(code), 8));
    return inner_.SysErrorMessage(code);
}

} // namespace vespern
