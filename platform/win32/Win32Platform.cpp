#include "Win32Platform.h"

#include "platform/ComPointer.h"
#include "platform/Win32Constants.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <wininet.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

namespace vespern {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

namespace {

// Handles and keys are 32-bit values on every Windows (a 64-bit system sign-extends them, which
// also gives the predefined keys and INVALID_HANDLE_VALUE).
template <typename Pointer> Pointer handleFrom(std::uint32_t value)
{
    return reinterpret_cast<Pointer>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}

template <typename Pointer> std::uint32_t handleValue(Pointer handle)
{
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
}

// An entry found by name, as the function type it is; void (*)() is the type every function
// pointer converts through.
template <typename Function> Function entryAs(FARPROC entry)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
}

template <typename Function> Function systemEntry(const char* module, const char* name)
{
    const HMODULE handle = ::GetModuleHandleA(module);
    return handle == nullptr ? nullptr : entryAs<Function>(::GetProcAddress(handle, name));
}

using NtQuerySystemInformationEntry = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
using CreateToolhelp32SnapshotEntry = HANDLE(WINAPI*)(DWORD, DWORD);
using Process32Entry = BOOL(WINAPI*)(HANDLE, LPPROCESSENTRY32);
using SHEmptyRecycleBinEntry = HRESULT(WINAPI*)(HWND, LPCSTR, DWORD);

constexpr LONG StatusNotImplemented = static_cast<LONG>(0xC0000002);
constexpr LONG StatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

const char* optionalText(const std::optional<std::string>& text)
{
    return text ? text->c_str() : nullptr;
}

// The braced text of a class or interface id; false when it is not one.
bool guidFromText(const std::string& text, GUID& guid)
{
    const std::wstring wide(text.begin(), text.end());
    return ::CLSIDFromString(wide.c_str(), &guid) == NOERROR;
}

template <typename Field> void put(std::span<std::uint8_t> record, std::size_t offset, Field value)
{
    std::memcpy(record.data() + offset, &value, sizeof value);
}

// The system's PROCESSENTRY32 in the record of the i386 build, which the core reads (the same
// layout there; a 64-bit system's heap id is wider).
void storeProcessEntry(const PROCESSENTRY32& process, ProcessEntry32 record)
{
    put<std::uint32_t>(record, 0, w32::ProcessEntry32Size);
    put<std::uint32_t>(record, 4, process.cntUsage);
    put<std::uint32_t>(record, 8, process.th32ProcessID);
    put<std::uint32_t>(record, 12, static_cast<std::uint32_t>(process.th32DefaultHeapID));
    put<std::uint32_t>(record, 16, process.th32ModuleID);
    put<std::uint32_t>(record, 20, process.cntThreads);
    put<std::uint32_t>(record, 24, process.th32ParentProcessID);
    put<std::int32_t>(record, 28, process.pcPriClassBase);
    put<std::uint32_t>(record, 32, process.dwFlags);
    static_assert(sizeof process.szExeFile == w32::MaxPath);
    std::memcpy(record.data() + w32::ProcessEntry32NameOffset, process.szExeFile, sizeof process.szExeFile);
}

bool processStep(Process32Entry step, Handle snapshot, ProcessEntry32 record)
{
    if (step == nullptr) {
        ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return false;
    }
    // As the system does: the caller's record must say its own size.
    std::uint32_t recordSize = 0;
    std::memcpy(&recordSize, record.data(), sizeof recordSize);
    if (recordSize != w32::ProcessEntry32Size) {
        ::SetLastError(ERROR_BAD_LENGTH);
        return false;
    }
    PROCESSENTRY32 process {};
    process.dwSize = sizeof process;
    if (!step(handleFrom<HANDLE>(snapshot), &process))
        return false;
    storeProcessEntry(process, record);
    return true;
}

// SYSTEM_BASIC_INFORMATION in the 44-byte record of the i386 build: the system's own record has
// three pointer-sized fields, wider on a 64-bit system.
LONG queryBasicInformation(NtQuerySystemInformationEntry query, std::span<std::uint8_t> record, std::uint32_t length)
{
    if (length < w32::SystemBasicInformationSize || record.size() < w32::SystemBasicInformationSize)
        return StatusInfoLengthMismatch;
    SYSTEM_BASIC_INFORMATION basic {};
    const LONG status = query(w32::SystemBasicInformation, &basic, sizeof basic, nullptr);
    if (status != 0)
        return status;
    std::fill(record.begin(), record.begin() + w32::SystemBasicInformationSize, std::uint8_t { 0 });
    std::memcpy(record.data(), &basic, offsetof(SYSTEM_BASIC_INFORMATION, LowestUserAddress));
    put<std::uint32_t>(record, 28, static_cast<std::uint32_t>(basic.LowestUserAddress));
    put<std::uint32_t>(record, 32, static_cast<std::uint32_t>(basic.HighestUserAddress));
    put<std::uint32_t>(record, 36, static_cast<std::uint32_t>(basic.ActiveProcessors));
    put<std::int8_t>(record, w32::BasicNumberOfProcessorsOffset, basic.NumberOfProcessors);
    return status;
}

HWND windowHandle(const Win32Platform::WindowHandles& windows, Window window)
{
    return windows ? reinterpret_cast<HWND>(windows(window)) : nullptr;
}

// Calls an interface the core holds by number; E_POINTER for a number that names none.
template <typename Interface, typename Call> HRESULT invoke(const PointerTokens& tokens, ComObject object, Call call)
{
    auto* target = static_cast<Interface*>(tokens.PointerOf(object));
    return target == nullptr ? E_POINTER : call(*target);
}

// Frees a buffer the system allocated for the caller (FORMAT_MESSAGE_ALLOCATE_BUFFER).
struct LocalMemoryFree {
    void operator()(char* buffer) const { ::LocalFree(buffer); }
};

} // namespace

Win32Platform::Win32Platform(WindowHandles windows, UserNoticeSink notices)
    : windows_(std::move(windows))
    , notices_(std::move(notices))
{
}

Win32Platform::~Win32Platform()
{
    if (comInitialised_)
        ::CoUninitialize();
}

bool Win32Platform::refused(bool succeeded, std::string_view action)
{
    if (succeeded || !notices_)
        return succeeded;
    const DWORD error = ::GetLastError();
    notices_({ NoticeKind::Error,
        std::string(action) + " was refused: " + SysErrorMessage(static_cast<std::int32_t>(error)) });
    ::SetLastError(error);
    return false;
}

bool Win32Platform::GetVersionExA(OsVersionInfo& info)
{
    OSVERSIONINFOA version {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExA(&version))
        return false;
    info = { version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber, version.dwPlatformId };
    return true;
}

bool Win32Platform::GetComputerNameA(std::span<char> buffer, std::uint32_t& size)
{
    DWORD length = size;
    const BOOL done = ::GetComputerNameA(buffer.data(), &length);
    size = length;
    return done != FALSE;
}

bool Win32Platform::GetSystemPowerStatus(SystemPowerStatus& status)
{
    // Older headers name the status flags byte Reserved1.
    SYSTEM_POWER_STATUS power {};
    if (!::GetSystemPowerStatus(&power))
        return false;
    status = { power.ACLineStatus, power.BatteryFlag, power.BatteryLifePercent, power.Reserved1, power.BatteryLifeTime,
        power.BatteryFullLifeTime };
    return true;
}

void Win32Platform::GetLocalTime(SystemTime& time)
{
    SYSTEMTIME now {};
    ::GetLocalTime(&now);
    time = { now.wYear, now.wMonth, now.wDayOfWeek, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds };
}

std::string Win32Platform::GetLocaleInfoA(std::uint32_t locale, std::uint32_t lcType)
{
    const int size = ::GetLocaleInfoA(locale, lcType, nullptr, 0);
    if (size <= 0)
        return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    const int written = ::GetLocaleInfoA(locale, lcType, text.data(), size);
    text.resize(written > 0 ? static_cast<std::size_t>(written - 1) : 0);
    return text;
}

std::int32_t Win32Platform::CompareStringA(std::uint32_t locale, std::uint32_t flags, const std::string& string1,
    std::int32_t count1, const std::string& string2, std::int32_t count2)
{
    return ::CompareStringA(locale, flags, string1.c_str(), count1, string2.c_str(), count2);
}

std::uint32_t Win32Platform::GetLastError()
{
    return ::GetLastError();
}

std::u16string Win32Platform::MultiByteToWideChar(std::uint32_t codePage, const std::string& text)
{
    if (text.empty())
        return {};
    const int source = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(codePage, 0, text.data(), source, nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(std::max(size, 0)), u'\0');
    if (size > 0)
        ::MultiByteToWideChar(codePage, 0, text.data(), source, reinterpret_cast<wchar_t*>(wide.data()), size);
    return wide;
}

std::string Win32Platform::WideCharToMultiByte(std::uint32_t codePage, const std::u16string& text)
{
    if (text.empty())
        return {};
    const auto* source = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(codePage, 0, source, length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(std::max(size, 0)), '\0');
    if (size > 0)
        ::WideCharToMultiByte(codePage, 0, source, length, narrow.data(), size, nullptr, nullptr);
    return narrow;
}

std::int32_t Win32Platform::NtQuerySystemInformation(
    std::uint32_t infoClass, std::span<std::uint8_t> buffer, std::uint32_t length)
{
    const auto query = systemEntry<NtQuerySystemInformationEntry>("ntdll.dll", "NtQuerySystemInformation");
    if (query == nullptr)
        return StatusNotImplemented;
    if (infoClass == w32::SystemBasicInformation)
        return queryBasicInformation(query, buffer, length);
    return query(
        infoClass, buffer.data(), std::min<std::uint32_t>(length, static_cast<std::uint32_t>(buffer.size())), nullptr);
}

Handle Win32Platform::CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t processId)
{
    const auto create = systemEntry<CreateToolhelp32SnapshotEntry>("kernel32.dll", "CreateToolhelp32Snapshot");
    if (create == nullptr) {
        ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return InvalidHandleValue;
    }
    return handleValue(create(flags, processId));
}

bool Win32Platform::Process32First(Handle snapshot, ProcessEntry32 entry)
{
    return processStep(systemEntry<Process32Entry>("kernel32.dll", "Process32First"), snapshot, entry);
}

bool Win32Platform::Process32Next(Handle snapshot, ProcessEntry32 entry)
{
    return processStep(systemEntry<Process32Entry>("kernel32.dll", "Process32Next"), snapshot, entry);
}

bool Win32Platform::CloseHandle(Handle object)
{
    return ::CloseHandle(handleFrom<HANDLE>(object)) != FALSE;
}

ModuleHandle Win32Platform::LoadLibraryA(const std::string& fileName)
{
    return pointers_.TokenFor(::LoadLibraryA(fileName.c_str()));
}

ModuleHandle Win32Platform::GetModuleHandleA(const std::string& moduleName)
{
    return pointers_.TokenFor(::GetModuleHandleA(moduleName.c_str()));
}

ProcAddress Win32Platform::GetProcAddress(ModuleHandle module, const std::string& procName)
{
    const FARPROC entry = ::GetProcAddress(static_cast<HMODULE>(pointers_.PointerOf(module)), procName.c_str());
    return pointers_.TokenFor(reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(entry)));
}

bool Win32Platform::FreeLibrary(ModuleHandle module)
{
    return ::FreeLibrary(static_cast<HMODULE>(pointers_.PointerOf(module))) != FALSE;
}

std::string Win32Platform::GetModuleFileNameA(ModuleHandle module)
{
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = ::GetModuleFileNameA(static_cast<HMODULE>(pointers_.PointerOf(module)), path.data(), size);
        if (length == 0)
            return {};
        if (length < size)
            return std::string(path.data(), length);
        path.resize(path.size() * 2);
    }
}

bool Win32Platform::OpenProcessToken(std::uint32_t desiredAccess, Handle& tokenHandle)
{
    HANDLE token = nullptr;
    const BOOL opened = ::OpenProcessToken(::GetCurrentProcess(), desiredAccess, &token);
    tokenHandle = handleValue(token);
    return opened != FALSE;
}

bool Win32Platform::LookupPrivilegeValueA(
    const std::optional<std::string>& systemName, const std::string& name, Luid& luid)
{
    LUID value {};
    if (!::LookupPrivilegeValueA(optionalText(systemName), name.c_str(), &value))
        return false;
    luid = { value.LowPart, value.HighPart };
    return true;
}

bool Win32Platform::AdjustTokenPrivileges(Handle tokenHandle, bool disableAllPrivileges,
    const TokenPrivileges& newState, std::uint32_t bufferLength, std::uint32_t& returnLength)
{
    TOKEN_PRIVILEGES state {};
    state.PrivilegeCount = newState.PrivilegeCount;
    state.Privileges[0].Luid = { newState.PrivilegeLuid.LowPart, newState.PrivilegeLuid.HighPart };
    state.Privileges[0].Attributes = newState.Attributes;
    DWORD length = 0;
    const BOOL adjusted = ::AdjustTokenPrivileges(
        handleFrom<HANDLE>(tokenHandle), disableAllPrivileges, &state, bufferLength, nullptr, &length);
    returnLength = length;
    return adjusted != FALSE;
}

bool Win32Platform::ExitWindowsEx(std::uint32_t uFlags, std::uint32_t dwReserved)
{
    const std::uint32_t what = uFlags & ~w32::EwxForce;
    const char* action = what == w32::EwxLogoff ? "Log off" : (what & w32::EwxReboot) != 0 ? "Reboot" : "Shutdown";
    return refused(::ExitWindowsEx(uFlags, dwReserved) != FALSE, action);
}

bool Win32Platform::SetSystemPowerState(bool fSuspend, bool fForce)
{
    return refused(::SetSystemPowerState(fSuspend, fForce) != FALSE, fSuspend ? "Standby" : "Hibernate");
}

bool Win32Platform::LockWorkStation()
{
    return refused(::LockWorkStation() != FALSE, "Locking the workstation");
}

std::intptr_t Win32Platform::SendMessageA(Window hWnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)
{
    return ::SendMessageA(windowHandle(windows_, hWnd), msg, wParam, lParam);
}

std::intptr_t Win32Platform::DefWindowProcA(Window hWnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)
{
    return ::DefWindowProcA(windowHandle(windows_, hWnd), msg, wParam, lParam);
}

bool Win32Platform::InitiateSystemShutdownA(const std::string& machineName, const std::string& message,
    std::uint32_t timeout, std::int32_t forceAppsClosed, std::int32_t rebootAfterShutdown)
{
    // The call takes writable strings; it does not write them.
    std::string machine = machineName;
    std::string text = message;
    return ::InitiateSystemShutdownA(machine.data(), text.data(), timeout, forceAppsClosed, rebootAfterShutdown)
        != FALSE;
}

bool Win32Platform::InternetGetConnectedState(std::uint32_t& flags, std::uint32_t reserved)
{
    DWORD state = 0;
    const BOOL connected = ::InternetGetConnectedState(&state, reserved);
    flags = state;
    return connected != FALSE;
}

bool Win32Platform::InternetAutodialHangup(std::uint32_t reserved)
{
    return ::InternetAutodialHangup(reserved) != FALSE;
}

std::intptr_t Win32Platform::ShellExecuteA(Window hwnd, const std::optional<std::string>& operation,
    const std::string& file, const std::optional<std::string>& parameters, const std::optional<std::string>& directory,
    std::int32_t showCmd)
{
    return reinterpret_cast<std::intptr_t>(::ShellExecuteA(windowHandle(windows_, hwnd), optionalText(operation),
        file.c_str(), optionalText(parameters), optionalText(directory), showCmd));
}

void Win32Platform::Sleep(std::uint32_t milliseconds)
{
    ::Sleep(milliseconds);
}

std::int32_t Win32Platform::SHEmptyRecycleBinA(
    Window hwnd, const std::optional<std::string>& rootPath, std::uint32_t flags)
{
    const auto empty = systemEntry<SHEmptyRecycleBinEntry>("Shell32.dll", "SHEmptyRecycleBinA");
    if (empty == nullptr)
        return w32::EFail;
    return empty(windowHandle(windows_, hwnd), optionalText(rootPath), flags);
}

std::int32_t Win32Platform::SHGetSpecialFolderLocation(Window hwndOwner, std::int32_t folder, ItemIdList& pidl)
{
    PIDLIST_ABSOLUTE list = nullptr;
    const HRESULT result = ::SHGetSpecialFolderLocation(windowHandle(windows_, hwndOwner), folder, &list);
    pidl = pointers_.TokenFor(list);
    return result;
}

ItemIdList Win32Platform::SHBrowseForFolderA(const BrowseInfo& info, DisplayNameBuffer& displayName)
{
    BROWSEINFOA browse {};
    browse.hwndOwner = windowHandle(windows_, info.hwndOwner);
    browse.pidlRoot = static_cast<PCIDLIST_ABSOLUTE>(pointers_.PointerOf(info.pidlRoot));
    browse.pszDisplayName = displayName.data();
    browse.lpszTitle = info.lpszTitle.c_str();
    browse.ulFlags = info.ulFlags;
    return pointers_.TokenFor(::SHBrowseForFolderA(&browse));
}

void Win32Platform::SHGetMallocFree(ItemIdList pidl)
{
    ComPointer<IMalloc> allocator;
    if (::SHGetMalloc(allocator.out()) != S_OK)
        return;
    allocator->Free(pointers_.PointerOf(pidl));
    pointers_.Forget(pidl);
}

std::int32_t Win32Platform::RegCreateKeyExA(HKey key, const std::string& subKey, std::uint32_t options,
    std::uint32_t samDesired, HKey& result, std::uint32_t& disposition)
{
    HKEY created = nullptr;
    DWORD how = 0;
    const LONG status = ::RegCreateKeyExA(
        handleFrom<HKEY>(key), subKey.c_str(), 0, nullptr, options, samDesired, nullptr, &created, &how);
    result = handleValue(created);
    disposition = how;
    return status;
}

std::int32_t Win32Platform::RegOpenKeyExA(
    HKey key, const std::string& subKey, std::uint32_t options, std::uint32_t samDesired, HKey& result)
{
    HKEY opened = nullptr;
    const LONG status = ::RegOpenKeyExA(handleFrom<HKEY>(key), subKey.c_str(), options, samDesired, &opened);
    result = handleValue(opened);
    return status;
}

std::int32_t Win32Platform::RegQueryValueExA(
    HKey key, const std::string& valueName, std::uint32_t& type, std::span<std::uint8_t> data, std::uint32_t& dataSize)
{
    DWORD kind = 0;
    DWORD size = data.empty() ? 0 : static_cast<DWORD>(data.size());
    const LONG status = ::RegQueryValueExA(
        handleFrom<HKEY>(key), valueName.c_str(), nullptr, &kind, data.empty() ? nullptr : data.data(), &size);
    type = kind;
    dataSize = size;
    return status;
}

std::int32_t Win32Platform::RegSetValueExA(
    HKey key, const std::string& valueName, std::uint32_t type, std::span<const std::uint8_t> data)
{
    return ::RegSetValueExA(
        handleFrom<HKEY>(key), valueName.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
}

std::int32_t Win32Platform::RegDeleteValueA(HKey key, const std::string& valueName)
{
    return ::RegDeleteValueA(handleFrom<HKEY>(key), valueName.c_str());
}

std::int32_t Win32Platform::RegCloseKey(HKey key)
{
    return ::RegCloseKey(handleFrom<HKEY>(key));
}

bool Win32Platform::DeleteFileA(const std::string& fileName)
{
    return ::DeleteFileA(fileName.c_str()) != FALSE;
}

std::uint32_t Win32Platform::GetFileAttributesA(const std::string& fileName)
{
    return ::GetFileAttributesA(fileName.c_str());
}

bool Win32Platform::CreateDirectoryA(const std::string& pathName)
{
    return ::CreateDirectoryA(pathName.c_str(), nullptr) != FALSE;
}

std::int32_t Win32Platform::CoInitialize()
{
    const HRESULT result = ::CoInitialize(nullptr);
    // Every successful call, S_FALSE included, counts once; the platform keeps one.
    if (SUCCEEDED(result)) {
        if (comInitialised_)
            ::CoUninitialize();
        comInitialised_ = true;
    }
    return result;
}

std::int32_t Win32Platform::CoCreateInstance(
    const std::string& clsid, std::uint32_t clsContext, const std::string& iid, ComObject& object)
{
    object = 0;
    CLSID classId {};
    IID interfaceId {};
    if (!guidFromText(clsid, classId) || !guidFromText(iid, interfaceId))
        return E_INVALIDARG;
    void* created = nullptr;
    const HRESULT result = ::CoCreateInstance(classId, nullptr, clsContext, interfaceId, &created);
    object = pointers_.TokenFor(created);
    return result;
}

std::int32_t Win32Platform::QueryInterface(ComObject object, const std::string& iid, ComObject& result)
{
    result = 0;
    IID interfaceId {};
    if (!guidFromText(iid, interfaceId))
        return E_INVALIDARG;
    void* found = nullptr;
    const HRESULT status = invoke<IUnknown>(
        pointers_, object, [&](IUnknown& unknown) { return unknown.QueryInterface(interfaceId, &found); });
    result = pointers_.TokenFor(found);
    return status;
}

std::uint32_t Win32Platform::Release(ComObject object)
{
    auto* unknown = static_cast<IUnknown*>(pointers_.PointerOf(object));
    if (unknown == nullptr)
        return 0;
    const ULONG references = unknown->Release();
    if (references == 0)
        pointers_.Forget(object);
    return references;
}

std::int32_t Win32Platform::IShellLinkA_SetArguments(ComObject link, const std::string& arguments)
{
    return invoke<IShellLinkA>(
        pointers_, link, [&](IShellLinkA& target) { return target.SetArguments(arguments.c_str()); });
}

std::int32_t Win32Platform::IShellLinkA_SetPath(ComObject link, const std::string& path)
{
    return invoke<IShellLinkA>(pointers_, link, [&](IShellLinkA& target) { return target.SetPath(path.c_str()); });
}

std::int32_t Win32Platform::IShellLinkA_SetWorkingDirectory(ComObject link, const std::string& directory)
{
    return invoke<IShellLinkA>(
        pointers_, link, [&](IShellLinkA& target) { return target.SetWorkingDirectory(directory.c_str()); });
}

std::int32_t Win32Platform::IShellLinkA_SetDescription(ComObject link, const std::string& description)
{
    return invoke<IShellLinkA>(
        pointers_, link, [&](IShellLinkA& target) { return target.SetDescription(description.c_str()); });
}

std::int32_t Win32Platform::IShellLinkA_SetIconLocation(ComObject link, const std::string& iconPath, std::int32_t index)
{
    return invoke<IShellLinkA>(
        pointers_, link, [&](IShellLinkA& target) { return target.SetIconLocation(iconPath.c_str(), index); });
}

std::int32_t Win32Platform::IPersistFile_Save(ComObject file, const std::u16string& fileName, bool remember)
{
    return invoke<IPersistFile>(pointers_, file, [&](IPersistFile& target) {
        return target.Save(reinterpret_cast<const wchar_t*>(fileName.c_str()), remember);
    });
}

std::string Win32Platform::SysErrorMessage(std::int32_t code)
{
    char* buffer = nullptr;
    const DWORD length
        = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    const std::unique_ptr<char, LocalMemoryFree> owned(buffer);
    if (length == 0 || buffer == nullptr)
        return "System error " + std::to_string(code);
    std::string text(buffer, length);
    // The system's texts end in a full stop and a line break; the error box adds its own stop.
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.'))
        text.pop_back();
    return text;
}

} // namespace vespern
