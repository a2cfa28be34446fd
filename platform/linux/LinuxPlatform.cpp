#include "LinuxPlatform.h"

#include "LocaleFormat.h"
#include "PowerSupply.h"
#include "TrashCan.h"
#include "platform/Win32Constants.h"

#include <cctype>
#include <chrono>
#include <cstring>
#include <ctime>
#include <iostream>
#include <thread>
#include <unistd.h>

namespace vespern {

namespace {

struct KnownModule {
    const char* name;
    ModuleHandle handle;
};

// The system libraries the program looks entries up in, with the entries this backend provides.
constexpr KnownModule knownModules[] = { { "shell32.dll", 1 }, { "ntdll.dll", 2 }, { "kernel32.dll", 3 } };

struct KnownEntry {
    ModuleHandle module;
    const char* name;
};

constexpr KnownEntry knownEntries[] = {
    { 1, "SHEmptyRecycleBinA" },
    { 2, "NtQuerySystemInformation" },
    { 3, "CreateToolhelp32Snapshot" },
    { 3, "Process32First" },
    { 3, "Process32Next" },
};

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

ModuleHandle findModule(const std::string& name)
{
    const std::string key = lowered(name);
    for (const auto& module : knownModules)
        if (key == module.name)
            return module.handle;
    return 0;
}

constexpr Handle tokenHandleValue = 0x1000;

} // namespace

LinuxPlatform::LinuxPlatform(LinuxPaths paths, ErrorSink errors)
    : paths_(std::move(paths))
    , errors_(std::move(errors))
    , snapshots_(paths_.procRoot)
    , systemInformation_(paths_.procRoot, paths_.sysRoot)
    , launcher_(paths_.opener)
{
    if (!errors_)
        errors_ = [](const std::string& line) { std::cerr << line << std::endl; };
}

void LinuxPlatform::unavailable(const char* operation)
{
    lastError_ = w32::ErrorCallNotImplemented;
    errors_(std::string("vespern: ") + operation + " is not available on Linux yet; nothing was done");
}

bool LinuxPlatform::GetVersionExA(OsVersionInfo& info)
{
    // The session requests are made in the NT way (privilege step, then the request).
    info = OsVersionInfo { 5, 1, 0, w32::VerPlatformWin32Nt };
    return true;
}

bool LinuxPlatform::GetComputerNameA(std::span<char> buffer, std::uint32_t& size)
{
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) {
        lastError_ = static_cast<std::uint32_t>(errno);
        return false;
    }
    std::string name(host);
    if (const auto dot = name.find('.'); dot != std::string::npos)
        name.resize(dot);
    if (name.size() + 1 > size || name.size() + 1 > buffer.size()) {
        size = static_cast<std::uint32_t>(name.size() + 1);
        lastError_ = 111; // ERROR_BUFFER_OVERFLOW
        return false;
    }
    std::memcpy(buffer.data(), name.c_str(), name.size() + 1);
    size = static_cast<std::uint32_t>(name.size());
    return true;
}

bool LinuxPlatform::GetSystemPowerStatus(SystemPowerStatus& status)
{
    status = ReadPowerSupplies(paths_.sysRoot / "class" / "power_supply");
    return true;
}

void LinuxPlatform::GetLocalTime(SystemTime& time)
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local {};
    localtime_r(&seconds, &local);
    time.wYear = static_cast<std::uint16_t>(local.tm_year + 1900);
    time.wMonth = static_cast<std::uint16_t>(local.tm_mon + 1);
    time.wDayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
    time.wDay = static_cast<std::uint16_t>(local.tm_mday);
    time.wHour = static_cast<std::uint16_t>(local.tm_hour);
    time.wMinute = static_cast<std::uint16_t>(local.tm_min);
    time.wSecond = static_cast<std::uint16_t>(local.tm_sec);
    time.wMilliseconds = static_cast<std::uint16_t>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
}

std::string LinuxPlatform::GetLocaleInfoA(std::uint32_t, std::uint32_t lcType)
{
    switch (lcType) {
    case w32::LocaleSTimeFormat:
        return TimePictureFromStrftime(UserLocaleTimeFormat());
    case w32::LocaleSDecimal:
        return UserLocaleDecimalSeparator();
    default:
        lastError_ = w32::ErrorInvalidData;
        return {};
    }
}

std::int32_t LinuxPlatform::CompareStringA(std::uint32_t, std::uint32_t flags, const std::string& string1,
    std::int32_t count1, const std::string& string2, std::int32_t count2)
{
    auto piece = [](const std::string& text, std::int32_t count) {
        return count < 0 ? std::string(text.c_str()) : text.substr(0, static_cast<std::size_t>(count));
    };
    std::string a = piece(string1, count1);
    std::string b = piece(string2, count2);
    if (flags & w32::NormIgnoreCase) {
        a = lowered(a);
        b = lowered(b);
    }
    const int order = a.compare(b);
    return order < 0 ? w32::CstrLessThan : order == 0 ? w32::CstrEqual : w32::CstrGreaterThan;
}

std::uint32_t LinuxPlatform::GetLastError()
{
    return lastError_;
}

std::int32_t LinuxPlatform::NtQuerySystemInformation(
    std::uint32_t infoClass, std::span<std::uint8_t> buffer, std::uint32_t length)
{
    return systemInformation_.Query(infoClass, buffer, length);
}

Handle LinuxPlatform::CreateToolhelp32Snapshot(std::uint32_t flags, std::uint32_t processId)
{
    return snapshots_.Create(flags, processId, lastError_);
}

bool LinuxPlatform::Process32First(Handle snapshot, ProcessEntry32 entry)
{
    return snapshots_.First(snapshot, entry, lastError_);
}

bool LinuxPlatform::Process32Next(Handle snapshot, ProcessEntry32 entry)
{
    return snapshots_.Next(snapshot, entry, lastError_);
}

bool LinuxPlatform::CloseHandle(Handle object)
{
    if (object == tokenHandleValue || snapshots_.Close(object))
        return true;
    lastError_ = 6; // ERROR_INVALID_HANDLE
    return false;
}

ModuleHandle LinuxPlatform::LoadLibraryA(const std::string& fileName)
{
    const ModuleHandle module = findModule(fileName);
    if (module == 0)
        lastError_ = 126; // ERROR_MOD_NOT_FOUND
    return module;
}

ModuleHandle LinuxPlatform::GetModuleHandleA(const std::string& moduleName)
{
    return LoadLibraryA(moduleName);
}

ProcAddress LinuxPlatform::GetProcAddress(ModuleHandle module, const std::string& procName)
{
    ProcAddress address = 0x100;
    for (const auto& entry : knownEntries) {
        ++address;
        if (entry.module == module && procName == entry.name)
            return address;
    }
    lastError_ = 127; // ERROR_PROC_NOT_FOUND
    return 0;
}

bool LinuxPlatform::FreeLibrary(ModuleHandle module)
{
    return module != 0;
}

std::string LinuxPlatform::GetModuleFileNameA(ModuleHandle)
{
    std::error_code error;
    const auto path = std::filesystem::read_symlink(paths_.procRoot / "self" / "exe", error);
    if (error) {
        lastError_ = static_cast<std::uint32_t>(error.value());
        return {};
    }
    return path.string();
}

// A Linux process has no privilege token: the privilege steps succeed and change nothing.
bool LinuxPlatform::OpenProcessToken(std::uint32_t, Handle& tokenHandle)
{
    tokenHandle = tokenHandleValue;
    return true;
}

bool LinuxPlatform::LookupPrivilegeValueA(const std::optional<std::string>& systemName, const std::string&, Luid& luid)
{
    if (systemName && !systemName->empty()) {
        unavailable("LookupPrivilegeValueA on another computer");
        return false;
    }
    luid = Luid { 19, 0 }; // the value Windows gives SeShutdownPrivilege
    return true;
}

bool LinuxPlatform::AdjustTokenPrivileges(
    Handle, bool, const TokenPrivileges&, std::uint32_t, std::uint32_t& returnLength)
{
    returnLength = 0;
    lastError_ = w32::ErrorSuccess;
    return true;
}

bool LinuxPlatform::ExitWindowsEx(std::uint32_t, std::uint32_t)
{
    unavailable("ExitWindowsEx");
    return false;
}

bool LinuxPlatform::SetSystemPowerState(bool, bool)
{
    unavailable("SetSystemPowerState");
    return false;
}

bool LinuxPlatform::LockWorkStation()
{
    unavailable("LockWorkStation");
    return false;
}

std::intptr_t LinuxPlatform::SendMessageA(Window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t)
{
    if (msg == w32::WmSysCommand && wParam == w32::ScMonitorPower)
        unavailable("SendMessageA SC_MONITORPOWER");
    return 0;
}

std::intptr_t LinuxPlatform::DefWindowProcA(Window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t)
{
    if (msg == w32::WmSysCommand && wParam == w32::ScScreenSave)
        unavailable("DefWindowProcA SC_SCREENSAVE");
    return 0;
}

bool LinuxPlatform::InitiateSystemShutdownA(
    const std::string&, const std::string&, std::uint32_t, std::int32_t, std::int32_t)
{
    unavailable("InitiateSystemShutdownA");
    return false;
}

bool LinuxPlatform::InternetGetConnectedState(std::uint32_t& flags, std::uint32_t)
{
    unavailable("InternetGetConnectedState");
    flags = 0;
    return false;
}

bool LinuxPlatform::InternetAutodialHangup(std::uint32_t)
{
    unavailable("InternetAutodialHangup");
    return false;
}

std::intptr_t LinuxPlatform::ShellExecuteA(Window, const std::optional<std::string>& operation, const std::string& file,
    const std::optional<std::string>& parameters, const std::optional<std::string>& directory, std::int32_t)
{
    std::string diagnostic;
    const std::intptr_t result = launcher_.Execute(operation, file, parameters, directory, diagnostic);
    if (!diagnostic.empty())
        errors_(diagnostic);
    if (result <= 32)
        lastError_ = static_cast<std::uint32_t>(result);
    return result;
}

void LinuxPlatform::Sleep(std::uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// The flags ask for no confirmation, progress or sound, none of which this backend offers.
std::int32_t LinuxPlatform::SHEmptyRecycleBinA(Window, const std::optional<std::string>& rootPath, std::uint32_t)
{
    const TrashCan trash({ paths_.dataHome.empty() ? DefaultDataHome() : paths_.dataHome,
        paths_.mountTable.empty() ? paths_.procRoot / "self" / "mountinfo" : paths_.mountTable, ::geteuid() });
    const auto outcome = rootPath && !rootPath->empty() ? trash.EmptyVolume(*rootPath) : trash.EmptyAll();
    if (outcome.complete)
        return w32::SOk;
    std::string line = "vespern: the trash could not be emptied completely: " + outcome.problems.front();
    if (outcome.problems.size() > 1)
        line += " (and more)";
    errors_(line);
    return w32::EFail;
}

std::int32_t LinuxPlatform::SHGetSpecialFolderLocation(Window, std::int32_t, ItemIdList& pidl)
{
    unavailable("SHGetSpecialFolderLocation");
    pidl = 0;
    return w32::EFail;
}

ItemIdList LinuxPlatform::SHBrowseForFolderA(const BrowseInfo&, DisplayNameBuffer& displayName)
{
    unavailable("SHBrowseForFolderA");
    displayName[0] = '\0';
    return 0;
}

void LinuxPlatform::SHGetMallocFree(ItemIdList) { }

std::int32_t LinuxPlatform::RegCreateKeyExA(
    HKey, const std::string&, std::uint32_t, std::uint32_t, HKey& result, std::uint32_t&)
{
    unavailable("RegCreateKeyExA");
    result = 0;
    return static_cast<std::int32_t>(w32::ErrorCallNotImplemented);
}

std::int32_t LinuxPlatform::RegOpenKeyExA(HKey, const std::string&, std::uint32_t, std::uint32_t, HKey& result)
{
    unavailable("RegOpenKeyExA");
    result = 0;
    return static_cast<std::int32_t>(w32::ErrorCallNotImplemented);
}

std::int32_t LinuxPlatform::RegQueryValueExA(
    HKey, const std::string&, std::uint32_t&, std::span<std::uint8_t>, std::uint32_t&)
{
    return static_cast<std::int32_t>(w32::ErrorCallNotImplemented);
}

std::int32_t LinuxPlatform::RegSetValueExA(HKey, const std::string&, std::uint32_t, std::span<const std::uint8_t>)
{
    unavailable("RegSetValueExA");
    return static_cast<std::int32_t>(w32::ErrorCallNotImplemented);
}

std::int32_t LinuxPlatform::RegDeleteValueA(HKey, const std::string&)
{
    unavailable("RegDeleteValueA");
    return static_cast<std::int32_t>(w32::ErrorCallNotImplemented);
}

std::int32_t LinuxPlatform::RegCloseKey(HKey)
{
    return 0;
}

bool LinuxPlatform::DeleteFileA(const std::string&)
{
    unavailable("DeleteFileA");
    return false;
}

std::uint32_t LinuxPlatform::GetFileAttributesA(const std::string& fileName)
{
    std::error_code error;
    const auto status = std::filesystem::status(fileName, error);
    if (error || !std::filesystem::exists(status))
        return w32::InvalidFileAttributes;
    return std::filesystem::is_directory(status) ? w32::FileAttributeDirectory : 0x80; // FILE_ATTRIBUTE_NORMAL
}

bool LinuxPlatform::CreateDirectoryA(const std::string&)
{
    unavailable("CreateDirectoryA");
    return false;
}

std::int32_t LinuxPlatform::CoInitialize()
{
    return w32::SOk;
}

std::int32_t LinuxPlatform::CoCreateInstance(const std::string&, std::uint32_t, const std::string&, ComObject& object)
{
    unavailable("CoCreateInstance");
    object = 0;
    return w32::RegdbEClassNotReg;
}

std::int32_t LinuxPlatform::QueryInterface(ComObject, const std::string&, ComObject& result)
{
    result = 0;
    return w32::ENoInterface;
}

std::uint32_t LinuxPlatform::Release(ComObject)
{
    return 0;
}

std::int32_t LinuxPlatform::IShellLinkA_SetArguments(ComObject, const std::string&)
{
    return w32::EFail;
}

std::int32_t LinuxPlatform::IShellLinkA_SetPath(ComObject, const std::string&)
{
    return w32::EFail;
}

std::int32_t LinuxPlatform::IShellLinkA_SetWorkingDirectory(ComObject, const std::string&)
{
    return w32::EFail;
}

std::int32_t LinuxPlatform::IShellLinkA_SetDescription(ComObject, const std::string&)
{
    return w32::EFail;
}

std::int32_t LinuxPlatform::IShellLinkA_SetIconLocation(ComObject, const std::string&, std::int32_t)
{
    return w32::EFail;
}

std::int32_t LinuxPlatform::IPersistFile_Save(ComObject, const std::u16string&, bool)
{
    return w32::EFail;
}

std::string LinuxPlatform::SysErrorMessage(std::int32_t code)
{
    switch (code) {
    case w32::RegdbEClassNotReg:
        return "Class not registered";
    case w32::ENoInterface:
        return "No such interface supported";
    default:
        return "System error " + std::to_string(code);
    }
}

} // namespace vespern
