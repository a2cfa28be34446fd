#include "LinuxPlatform.h"

#include "AtomicFile.h"
#include "UserDirectories.h"
#include "platform/CodePageText.h"
#include "platform/Win32Constants.h"
#include "platform/linux/dbus/AvahiDiscovery.h"
#include "platform/linux/power/RemoteShutdown.h"
#include "platform/linux/shell/TrashCan.h"
#include "platform/linux/system/LocaleFormat.h"
#include "platform/linux/system/PowerSupply.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <iostream>
#include <sys/stat.h>
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

// Error lines and notices carry texts of other programs and of file names; a line break or a
// terminal control character in them must not split the line or reach the terminal.
std::string flattened(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return text;
}

LinuxPlatform::ErrorSink oneLine(LinuxPlatform::ErrorSink sink)
{
    if (!sink)
        sink = [](const std::string& line) { std::cerr << line << std::endl; };
    return [sink = std::move(sink)](const std::string& line) { sink(flattened(line)); };
}

// The names the program looks up, with the identifiers Windows gives them.
std::optional<Luid> knownPrivilege(const std::string& name)
{
    if (name == "SeShutdownPrivilege")
        return Luid { 19, 0 };
    if (name == "SeRemoteShutdownPrivilege")
        return Luid { 24, 0 };
    return std::nullopt;
}

} // namespace

LinuxPlatform::LinuxPlatform(LinuxPaths paths, ErrorSink errors, UserNoticeSink notices)
    : paths_(std::move(paths))
    , errors_(oneLine(std::move(errors)))
    , notices_(notices ? std::move(notices) : [](const UserNotice&) {})
    , snapshots_(paths_.procRoot)
    , systemInformation_(paths_.procRoot, paths_.sysRoot)
    , launcher_(paths_.opener)
    , logind_(paths_.busTimeout, paths_.authorizationTimeout)
    , sessionManager_(paths_.busTimeout)
    , networkManager_(paths_.busTimeout, paths_.queryTimeout)
    , screenSaver_(paths_.busTimeout)
    , displayPower_(paths_.busTimeout)
    , discovery_(std::make_unique<AvahiDiscovery>())
    , registry_(paths_.registry, errors_, notices_)
    , links_(notices_)
    , requests_([this](const Outcome& outcome, const std::string& action) { report(outcome, action); })
{
}

LinuxPlatform::~LinuxPlatform() = default;

void LinuxPlatform::SetComputerDiscovery(std::unique_ptr<ComputerDiscovery> discovery)
{
    discovery_ = std::move(discovery);
}

void LinuxPlatform::SetComputerPicker(ComputerPicker picker)
{
    picker_ = std::move(picker);
}

void LinuxPlatform::unavailable(const char* operation)
{
    lastError_ = w32::ErrorCallNotImplemented;
    errors_(std::string("vespern: ") + operation + " is not available on Linux; nothing was done");
}

bool LinuxPlatform::report(const Outcome& outcome, std::string_view action)
{
    if (outcome.ok())
        return true;
    lastError_ = outcome.errorCode;
    errors_(outcome.message);
    // A request that failed must not read as one the system is carrying out.
    if (!action.empty())
        notices_({ NoticeKind::Error,
            flattened(std::string(action) + (outcome.refused() ? " was refused: " : " failed: ") + outcome.reason) });
    return false;
}

bool LinuxPlatform::request(std::string action, BackgroundRequests::Request work)
{
    requests_.Submit(std::move(action), std::move(work));
    return true;
}

// Runs on the requests' thread: the services' objects hold nothing but their time-outs.
Outcome LinuxPlatform::endSession(SessionEnd what, bool force) const
{
    // Forced, nobody is asked: logind ends the session or the system at once.
    if (!force)
        if (auto ended = sessionManager_.End(what))
            return *ended;
    switch (what) {
    case SessionEnd::LogOff:
        return logind_.TerminateOwnSession();
    case SessionEnd::PowerOff:
        return logind_.Request(PowerRequest::PowerOff, force);
    case SessionEnd::Reboot:
        break;
    }
    return logind_.Request(PowerRequest::Reboot, force);
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
        lastError_ = w32::ErrorBufferOverflow;
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
        // NOLINTNEXTLINE(readability-redundant-string-cstr): cut at the first zero byte, as the system does
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

// Linux's 8-bit text is UTF-8 whatever code page is asked for.
std::u16string LinuxPlatform::MultiByteToWideChar(std::uint32_t, const std::string& text)
{
    return Utf16FromCodePage(text);
}

std::string LinuxPlatform::WideCharToMultiByte(std::uint32_t, const std::u16string& text)
{
    return CodePageFromUtf16(text);
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
    lastError_ = w32::ErrorInvalidHandle;
    return false;
}

ModuleHandle LinuxPlatform::LoadLibraryA(const std::string& fileName)
{
    const ModuleHandle module = findModule(fileName);
    if (module == 0)
        lastError_ = w32::ErrorModNotFound;
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
    lastError_ = w32::ErrorProcNotFound;
    return 0;
}

bool LinuxPlatform::FreeLibrary(ModuleHandle module)
{
    return module != 0;
}

std::string LinuxPlatform::GetModuleFileNameA(ModuleHandle)
{
    std::error_code error;
    std::string path = std::filesystem::read_symlink(paths_.procRoot / "self" / "exe", error).string();
    if (error) {
        lastError_ = static_cast<std::uint32_t>(error.value());
        return {};
    }
    // An update replaced the running file: the program's path is that of its new version, which
    // the autostart entry and the desktop action files must name.
    constexpr std::string_view replaced = " (deleted)";
    if (path.ends_with(replaced) && !std::filesystem::exists(path, error))
        path.resize(path.size() - replaced.size());
    return path;
}

// A Linux process has no privilege token: the privilege steps succeed and change nothing.
bool LinuxPlatform::OpenProcessToken(std::uint32_t, Handle& tokenHandle)
{
    tokenHandle = tokenHandleValue;
    return true;
}

// On another computer the lookup stands for "that computer can be found on the network".
bool LinuxPlatform::LookupPrivilegeValueA(
    const std::optional<std::string>& systemName, const std::string& name, Luid& luid)
{
    if (systemName && !systemName->empty()) {
        const ComputerLookup lookup = LookUpComputer(NetworkComputerName(*systemName));
        if (lookup.error != 0) {
            lastError_ = w32::RpcSServerUnavailable;
            errors_("vespern: " + lookup.reason);
            return false;
        }
    }
    const auto privilege = knownPrivilege(name);
    if (!privilege) {
        lastError_ = w32::ErrorNoSuchPrivilege;
        return false;
    }
    luid = *privilege;
    return true;
}

bool LinuxPlatform::AdjustTokenPrivileges(
    Handle, bool, const TokenPrivileges&, std::uint32_t, std::uint32_t& returnLength)
{
    returnLength = 0;
    lastError_ = w32::ErrorSuccess;
    return true;
}

bool LinuxPlatform::ExitWindowsEx(std::uint32_t uFlags, std::uint32_t)
{
    // EWX_FORCEIFHUNG and the other modifiers change nothing here; only EWX_FORCE skips the
    // session manager and inhibitors.
    const bool force = (uFlags & w32::EwxForce) != 0;
    const auto end = [this, force](SessionEnd what) { return [this, force, what] { return endSession(what, force); }; };
    switch (uFlags & (w32::EwxShutdown | w32::EwxReboot | w32::EwxPoweroff)) {
    case w32::EwxLogoff:
        return request("Log Off", end(SessionEnd::LogOff));
    case w32::EwxShutdown:
    case w32::EwxPoweroff:
    case w32::EwxShutdown | w32::EwxPoweroff:
        return request("Shutdown", end(SessionEnd::PowerOff));
    case w32::EwxReboot:
        return request("Reboot", end(SessionEnd::Reboot));
    default:
        // No action of this program asks for this; it is a caller's mistake, not the user's.
        return report(Outcome::Failure(syserr::InvalidParameter,
                          "vespern: ExitWindowsEx flags " + std::to_string(uFlags)
                              + " ask for both a restart and a shutdown; nothing was done",
                          "it asks for both a restart and a shutdown"),
            {});
    }
}

bool LinuxPlatform::SetSystemPowerState(bool fSuspend, bool fForce)
{
    const auto what = fSuspend ? PowerRequest::Suspend : PowerRequest::Hibernate;
    return request(
        fSuspend ? "Sleep/Stand by" : "Hibernate", [this, what, fForce] { return logind_.Request(what, fForce); });
}

bool LinuxPlatform::LockWorkStation()
{
    return request("Lock/Switch User", [this] { return logind_.LockOwnSession(); });
}

std::intptr_t LinuxPlatform::SendMessageA(Window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)
{
    // Only "off" is carried out: the display comes back on by itself at the next input.
    if (msg == w32::WmSysCommand && wParam == w32::ScMonitorPower && lParam == w32::MonitorPowerOff)
        request("Turn Off Monitor", [this] { return displayPower_.TurnOff(); });
    return 0;
}

std::intptr_t LinuxPlatform::DefWindowProcA(Window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t)
{
    if (msg == w32::WmSysCommand && wParam == w32::ScScreenSave)
        request("Show Screensaver", [this] { return screenSaver_.Activate(); });
    return 0;
}

bool LinuxPlatform::InitiateSystemShutdownA(const std::string& machineName, const std::string& message,
    std::uint32_t timeout, std::int32_t forceAppsClosed, std::int32_t rebootAfterShutdown)
{
    lastError_
        = RemoteShutdown(errors_).Send(machineName, message, timeout, forceAppsClosed != 0, rebootAfterShutdown != 0);
    return lastError_ == w32::ErrorSuccess;
}

// Asked while a window waits: a NetworkManager that does not answer within the query's time
// counts as one that is not there.
bool LinuxPlatform::InternetGetConnectedState(std::uint32_t& flags, std::uint32_t)
{
    ConnectedState state;
    const bool answered = report(networkManager_.QueryConnectedState(state), "Hang Up Internet");
    flags = state.flags;
    return answered && state.connected;
}

bool LinuxPlatform::InternetAutodialHangup(std::uint32_t)
{
    return request("Hang Up Internet", [this] { return networkManager_.HangUpDialUp(); });
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
    const TrashCan trash({ paths_.dataHome.empty() ? UserDirectories::FromEnvironment().dataHome : paths_.dataHome,
        paths_.mountTable.empty() ? paths_.procRoot / "self" / "mountinfo" : paths_.mountTable, ::geteuid() });
    const auto outcome = rootPath && !rootPath->empty() ? trash.EmptyVolume(*rootPath) : trash.EmptyAll();
    if (outcome.complete)
        return w32::SOk;
    std::string what = outcome.problems.front();
    if (outcome.failures > 1)
        what += " (and " + std::to_string(outcome.failures - 1) + " more)";
    errors_("vespern: the trash could not be emptied completely: " + what);
    notices_({ NoticeKind::Warning, "The trash could not be emptied completely: " + what });
    return w32::EFail;
}

std::int32_t LinuxPlatform::SHGetSpecialFolderLocation(Window, std::int32_t folder, ItemIdList& pidl)
{
    pidl = 0;
    if (folder != w32::CsidlNetwork) {
        unavailable("SHGetSpecialFolderLocation for folders other than the network");
        return w32::EFail;
    }
    std::string reason;
    if (!discovery_ || !discovery_->Available(reason)) {
        lastError_ = w32::ErrorFileNotFound;
        errors_("vespern: the network cannot be browsed for computers: " + reason);
        return w32::EFail;
    }
    pidl = ++lastIdList_;
    return w32::SOk;
}

ItemIdList LinuxPlatform::SHBrowseForFolderA(const BrowseInfo& info, DisplayNameBuffer& displayName)
{
    displayName[0] = '\0';
    if (!picker_ || !discovery_) {
        unavailable("SHBrowseForFolderA without a window system");
        return 0;
    }
    const std::optional<std::string> chosen = picker_(info.lpszTitle, *discovery_);
    if (!chosen)
        return 0;
    const std::size_t length = std::min(chosen->size(), displayName.size() - 1);
    std::copy_n(chosen->begin(), length, displayName.begin());
    displayName[length] = '\0';
    return ++lastIdList_;
}

// The identifier lists here are plain numbers that own nothing.
void LinuxPlatform::SHGetMallocFree(ItemIdList) { }

std::int32_t LinuxPlatform::RegCreateKeyExA(
    HKey key, const std::string& subKey, std::uint32_t, std::uint32_t, HKey& result, std::uint32_t& disposition)
{
    return registry_.CreateKey(key, subKey, result, disposition);
}

std::int32_t LinuxPlatform::RegOpenKeyExA(
    HKey key, const std::string& subKey, std::uint32_t, std::uint32_t, HKey& result)
{
    return registry_.OpenKey(key, subKey, result);
}

std::int32_t LinuxPlatform::RegQueryValueExA(
    HKey key, const std::string& valueName, std::uint32_t& type, std::span<std::uint8_t> data, std::uint32_t& dataSize)
{
    return registry_.QueryValue(key, valueName, type, data, dataSize);
}

std::int32_t LinuxPlatform::RegSetValueExA(
    HKey key, const std::string& valueName, std::uint32_t type, std::span<const std::uint8_t> data)
{
    return registry_.SetValue(key, valueName, type, data);
}

std::int32_t LinuxPlatform::RegDeleteValueA(HKey key, const std::string& valueName)
{
    return registry_.DeleteValue(key, valueName);
}

std::int32_t LinuxPlatform::RegCloseKey(HKey key)
{
    return registry_.CloseKey(key);
}

// File names arrive with either separator; "\" is a separator here as on the system they come from.
bool LinuxPlatform::DeleteFileA(const std::string& fileName)
{
    const std::string path = NativePath(fileName);
    if (::unlink(path.c_str()) == 0)
        return true;
    lastError_ = static_cast<std::uint32_t>(errno == ENOENT ? w32::ErrorFileNotFound : Win32ErrorFromErrno(errno));
    return false;
}

std::uint32_t LinuxPlatform::GetFileAttributesA(const std::string& fileName)
{
    std::error_code error;
    const auto status = std::filesystem::status(NativePath(fileName), error);
    if (error || !std::filesystem::exists(status))
        return w32::InvalidFileAttributes;
    return std::filesystem::is_directory(status) ? w32::FileAttributeDirectory : w32::FileAttributeNormal;
}

bool LinuxPlatform::CreateDirectoryA(const std::string& pathName)
{
    const std::string path = NativePath(pathName);
    if (::mkdir(path.c_str(), 0777) == 0)
        return true;
    lastError_ = errno == EEXIST ? w32::ErrorAlreadyExists : static_cast<std::uint32_t>(Win32ErrorFromErrno(errno));
    return false;
}

std::int32_t LinuxPlatform::CoInitialize()
{
    return w32::SOk;
}

std::int32_t LinuxPlatform::CoCreateInstance(
    const std::string& clsid, std::uint32_t clsContext, const std::string& iid, ComObject& object)
{
    if ((clsContext & w32::ClsctxInprocServer) == 0) {
        object = 0;
        return w32::RegdbEClassNotReg;
    }
    return links_.Create(clsid, iid, object);
}

std::int32_t LinuxPlatform::QueryInterface(ComObject object, const std::string& iid, ComObject& result)
{
    return links_.QueryInterface(object, iid, result);
}

std::uint32_t LinuxPlatform::Release(ComObject object)
{
    return links_.Release(object);
}

std::int32_t LinuxPlatform::IShellLinkA_SetArguments(ComObject link, const std::string& arguments)
{
    return links_.SetArguments(link, arguments);
}

std::int32_t LinuxPlatform::IShellLinkA_SetPath(ComObject link, const std::string& path)
{
    return links_.SetPath(link, path);
}

std::int32_t LinuxPlatform::IShellLinkA_SetWorkingDirectory(ComObject link, const std::string& directory)
{
    return links_.SetWorkingDirectory(link, directory);
}

std::int32_t LinuxPlatform::IShellLinkA_SetDescription(ComObject link, const std::string& description)
{
    return links_.SetDescription(link, description);
}

std::int32_t LinuxPlatform::IShellLinkA_SetIconLocation(ComObject link, const std::string& iconPath, std::int32_t index)
{
    return links_.SetIconLocation(link, iconPath, index);
}

std::int32_t LinuxPlatform::IPersistFile_Save(ComObject file, const std::u16string& fileName, bool)
{
    return links_.Save(file, fileName);
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
