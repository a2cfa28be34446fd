#include "ScriptedPlatform.h"

#include "platform/CodePageText.h"
#include "platform/Win32Constants.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace vespern::test {

namespace {
constexpr Handle snapshotHandle = 0x2000;
constexpr Handle tokenHandle = 0x1000;
} // namespace

bool ScriptedPlatform::GetVersionExA(OsVersionInfo& info)
{
    info = OsVersionInfo { 5, 1, 2600, script.platformId };
    return true;
}

bool ScriptedPlatform::GetComputerNameA(std::span<char> buffer, std::uint32_t& size)
{
    if (script.computerNameFails || script.computerName.size() + 1 > size)
        return false;
    std::memcpy(buffer.data(), script.computerName.c_str(), script.computerName.size() + 1);
    size = static_cast<std::uint32_t>(script.computerName.size());
    return true;
}

bool ScriptedPlatform::GetSystemPowerStatus(SystemPowerStatus& status)
{
    status.BatteryLifePercent = script.batteryLifePercent;
    return true;
}

void ScriptedPlatform::GetLocalTime(SystemTime& time)
{
    time = script.localTime;
}

std::string ScriptedPlatform::GetLocaleInfoA(std::uint32_t, std::uint32_t lcType)
{
    if (lcType == w32::LocaleSTimeFormat)
        return script.timeFormat;
    if (lcType == w32::LocaleSDecimal)
        return script.decimalSeparator;
    return {};
}

std::int32_t ScriptedPlatform::CompareStringA(std::uint32_t, std::uint32_t flags, const std::string& string1,
    std::int32_t count1, const std::string& string2, std::int32_t count2)
{
    auto piece = [flags](const std::string& text, std::int32_t count) {
        std::string out = count < 0 ? text : text.substr(0, static_cast<std::size_t>(count));
        if (flags & w32::NormIgnoreCase)
            std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
        return out;
    };
    const int order = piece(string1, count1).compare(piece(string2, count2));
    return order < 0 ? w32::CstrLessThan : order == 0 ? w32::CstrEqual : w32::CstrGreaterThan;
}

std::u16string ScriptedPlatform::MultiByteToWideChar(std::uint32_t, const std::string& text)
{
    if (!script.singleByteCodePage)
        return Utf16FromCodePage(text);
    std::u16string wide;
    for (const char c : text)
        wide += static_cast<char16_t>(static_cast<unsigned char>(c));
    return wide;
}

std::string ScriptedPlatform::WideCharToMultiByte(std::uint32_t, const std::u16string& text)
{
    if (!script.singleByteCodePage)
        return CodePageFromUtf16(text);
    std::string narrow;
    for (const char16_t unit : text)
        narrow += unit < 0x100 ? static_cast<char>(unit) : '?';
    return narrow;
}

std::uint32_t ScriptedPlatform::GetLastError()
{
    return lastError_;
}

std::int32_t ScriptedPlatform::NtQuerySystemInformation(
    std::uint32_t infoClass, std::span<std::uint8_t> buffer, std::uint32_t length)
{
    auto& queue = script.systemInformation[infoClass];
    if (queue.empty())
        return static_cast<std::int32_t>(0xC0000001); // STATUS_UNSUCCESSFUL
    const auto record = queue.front();
    queue.erase(queue.begin());
    std::fill(buffer.begin(), buffer.end(), std::uint8_t { 0 });
    std::copy_n(record.begin(), std::min<std::size_t>({ record.size(), buffer.size(), length }), buffer.begin());
    return 0;
}

Handle ScriptedPlatform::CreateToolhelp32Snapshot(std::uint32_t, std::uint32_t)
{
    if (script.snapshotFails)
        return InvalidHandleValue;
    processCursor_ = 0;
    return snapshotHandle;
}

bool ScriptedPlatform::Process32First(Handle snapshot, ProcessEntry32 entry)
{
    processCursor_ = 0;
    return Process32Next(snapshot, entry);
}

bool ScriptedPlatform::Process32Next(Handle snapshot, ProcessEntry32 entry)
{
    if (snapshot != snapshotHandle || processCursor_ >= script.processes.size())
        return false;
    const auto& record = script.processes[processCursor_++];
    std::copy_n(record.begin(), std::min(record.size(), entry.size()), entry.begin());
    return true;
}

bool ScriptedPlatform::CloseHandle(Handle)
{
    return true;
}

ModuleHandle ScriptedPlatform::LoadLibraryA(const std::string&)
{
    return script.loadLibraryFails ? 0 : 0x10000000;
}

ModuleHandle ScriptedPlatform::GetModuleHandleA(const std::string&)
{
    return 0x20000000;
}

ProcAddress ScriptedPlatform::GetProcAddress(ModuleHandle, const std::string& procName)
{
    if (procName == "SHEmptyRecycleBinA" && script.recycleBinEntryMissing)
        return 0;
    return 0x10001000;
}

bool ScriptedPlatform::FreeLibrary(ModuleHandle)
{
    return true;
}

std::string ScriptedPlatform::GetModuleFileNameA(ModuleHandle)
{
    return script.moduleFileName;
}

bool ScriptedPlatform::OpenProcessToken(std::uint32_t, Handle& token)
{
    token = script.openProcessTokenFails ? 0 : tokenHandle;
    return !script.openProcessTokenFails;
}

bool ScriptedPlatform::LookupPrivilegeValueA(const std::optional<std::string>&, const std::string&, Luid& luid)
{
    luid = Luid { 19, 0 };
    return !script.lookupPrivilegeFails;
}

bool ScriptedPlatform::AdjustTokenPrivileges(
    Handle, bool, const TokenPrivileges&, std::uint32_t, std::uint32_t& returnLength)
{
    returnLength = 0;
    lastError_ = adjustCalls_ < script.adjustErrors.size() ? script.adjustErrors[adjustCalls_] : 0;
    ++adjustCalls_;
    return lastError_ == 0 || lastError_ == w32::ErrorNotAllAssigned;
}

bool ScriptedPlatform::ExitWindowsEx(std::uint32_t, std::uint32_t)
{
    return true;
}

bool ScriptedPlatform::SetSystemPowerState(bool, bool)
{
    return true;
}

bool ScriptedPlatform::LockWorkStation()
{
    return true;
}

std::intptr_t ScriptedPlatform::SendMessageA(Window, std::uint32_t, std::uintptr_t, std::intptr_t)
{
    return 0;
}

std::intptr_t ScriptedPlatform::DefWindowProcA(Window, std::uint32_t, std::uintptr_t, std::intptr_t)
{
    return 0;
}

bool ScriptedPlatform::InitiateSystemShutdownA(
    const std::string&, const std::string&, std::uint32_t, std::int32_t, std::int32_t)
{
    return !script.initiateShutdownFails;
}

bool ScriptedPlatform::InternetGetConnectedState(std::uint32_t& flags, std::uint32_t)
{
    flags = script.connected ? 1 : 0;
    return script.connected;
}

bool ScriptedPlatform::InternetAutodialHangup(std::uint32_t)
{
    return true;
}

std::intptr_t ScriptedPlatform::ShellExecuteA(Window, const std::optional<std::string>&, const std::string& file,
    const std::optional<std::string>&, const std::optional<std::string>&, std::int32_t)
{
    return file.empty() ? 2 : 42; // ERROR_FILE_NOT_FOUND for an empty path
}

void ScriptedPlatform::Sleep(std::uint32_t) { }

std::int32_t ScriptedPlatform::SHEmptyRecycleBinA(Window, const std::optional<std::string>&, std::uint32_t)
{
    return 0;
}

std::int32_t ScriptedPlatform::SHGetSpecialFolderLocation(Window, std::int32_t, ItemIdList& pidl)
{
    pidl = script.networkFolderFails ? 0 : 0x3000;
    return script.networkFolderFails ? w32::EFail : 0;
}

ItemIdList ScriptedPlatform::SHBrowseForFolderA(const BrowseInfo&, DisplayNameBuffer& displayName)
{
    const std::size_t call = browseCalls_++;
    displayName[0] = '\0';
    if (call >= script.browseAnswers.size() || !script.browseAnswers[call])
        return 0;
    const std::string& name = *script.browseAnswers[call];
    const std::size_t length = std::min(name.size(), displayName.size() - 1);
    std::copy_n(name.begin(), length, displayName.begin());
    displayName[length] = '\0';
    return static_cast<ItemIdList>(0x3100 + call);
}

void ScriptedPlatform::SHGetMallocFree(ItemIdList) { }

std::int32_t ScriptedPlatform::RegCreateKeyExA(HKey key, const std::string& subKey, std::uint32_t options,
    std::uint32_t samDesired, HKey& result, std::uint32_t& disposition)
{
    if (script.storage)
        return script.storage->RegCreateKeyExA(key, subKey, options, samDesired, result, disposition);
    result = 0x4000;
    disposition = w32::RegOpenedExistingKey;
    return 0;
}

std::int32_t ScriptedPlatform::RegOpenKeyExA(
    HKey key, const std::string& subKey, std::uint32_t options, std::uint32_t samDesired, HKey& result)
{
    if (script.storage)
        return script.storage->RegOpenKeyExA(key, subKey, options, samDesired, result);
    result = 0x4000;
    return 0;
}

std::int32_t ScriptedPlatform::RegQueryValueExA(
    HKey key, const std::string& valueName, std::uint32_t& type, std::span<std::uint8_t> data, std::uint32_t& dataSize)
{
    if (script.storage)
        return script.storage->RegQueryValueExA(key, valueName, type, data, dataSize);
    return static_cast<std::int32_t>(w32::ErrorFileNotFound);
}

std::int32_t ScriptedPlatform::RegSetValueExA(
    HKey key, const std::string& valueName, std::uint32_t type, std::span<const std::uint8_t> data)
{
    if (script.storage)
        return script.storage->RegSetValueExA(key, valueName, type, data);
    return 0;
}

std::int32_t ScriptedPlatform::RegDeleteValueA(HKey key, const std::string& valueName)
{
    if (script.storage)
        return script.storage->RegDeleteValueA(key, valueName);
    return 0;
}

std::int32_t ScriptedPlatform::RegCloseKey(HKey key)
{
    if (script.storage)
        return script.storage->RegCloseKey(key);
    return 0;
}

bool ScriptedPlatform::DeleteFileA(const std::string& fileName)
{
    if (script.storage)
        return script.storage->DeleteFileA(fileName);
    return true;
}

std::uint32_t ScriptedPlatform::GetFileAttributesA(const std::string& fileName)
{
    if (script.storage)
        return script.storage->GetFileAttributesA(fileName);
    return w32::FileAttributeDirectory;
}

bool ScriptedPlatform::CreateDirectoryA(const std::string& pathName)
{
    if (script.storage)
        return script.storage->CreateDirectoryA(pathName);
    return true;
}

std::int32_t ScriptedPlatform::CoInitialize()
{
    return 0;
}

std::int32_t ScriptedPlatform::CoCreateInstance(
    const std::string& clsid, std::uint32_t clsContext, const std::string& iid, ComObject& object)
{
    if (script.storage)
        return script.storage->CoCreateInstance(clsid, clsContext, iid, object);
    object = 0x5000;
    return 0;
}

std::int32_t ScriptedPlatform::QueryInterface(ComObject object, const std::string& iid, ComObject& result)
{
    if (script.storage)
        return script.storage->QueryInterface(object, iid, result);
    result = object + 1;
    return 0;
}

std::uint32_t ScriptedPlatform::Release(ComObject object)
{
    if (script.storage)
        return script.storage->Release(object);
    return 0;
}

std::int32_t ScriptedPlatform::IShellLinkA_SetArguments(ComObject link, const std::string& arguments)
{
    if (script.storage)
        return script.storage->IShellLinkA_SetArguments(link, arguments);
    return 0;
}

std::int32_t ScriptedPlatform::IShellLinkA_SetPath(ComObject link, const std::string& path)
{
    if (script.storage)
        return script.storage->IShellLinkA_SetPath(link, path);
    return 0;
}

std::int32_t ScriptedPlatform::IShellLinkA_SetWorkingDirectory(ComObject link, const std::string& directory)
{
    if (script.storage)
        return script.storage->IShellLinkA_SetWorkingDirectory(link, directory);
    return 0;
}

std::int32_t ScriptedPlatform::IShellLinkA_SetDescription(ComObject link, const std::string& description)
{
    if (script.storage)
        return script.storage->IShellLinkA_SetDescription(link, description);
    return 0;
}

std::int32_t ScriptedPlatform::IShellLinkA_SetIconLocation(
    ComObject link, const std::string& iconPath, std::int32_t index)
{
    if (script.storage)
        return script.storage->IShellLinkA_SetIconLocation(link, iconPath, index);
    return 0;
}

std::int32_t ScriptedPlatform::IPersistFile_Save(ComObject file, const std::u16string& fileName, bool remember)
{
    if (script.storage)
        return script.storage->IPersistFile_Save(file, fileName, remember);
    return 0;
}

std::string ScriptedPlatform::SysErrorMessage(std::int32_t)
{
    return "Class not registered";
}

RecordingPlatform::RecordingPlatform()
    : tracing_(scripted_, TracingPlatform::Mode::Record, [this](const std::string& line) { calls.push_back(line); })
{
}

std::vector<std::string> RecordingPlatform::callsTo(const std::vector<std::string>& operations) const
{
    std::vector<std::string> out;
    for (const auto& line : calls) {
        const std::string name = line.substr(0, line.find(' '));
        if (std::find(operations.begin(), operations.end(), name) != operations.end())
            out.push_back(line);
    }
    return out;
}

} // namespace vespern::test
