#include "platform/win32/Win32Platform.h"
#include "core/ProcessList.h"
#include "platform/Win32Constants.h"
#include "support/HostSystem.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <windows.h>

// The Windows backend against the real system calls, under Wine here. The shell link case also
// runs from shell_link_test.py beside it, which reads the saved file with lnkinfo.

namespace vespern::test {
namespace {

std::uint64_t LittleEndian(const std::uint8_t* bytes, std::size_t size)
{
    std::uint64_t value = 0;
    for (std::size_t i = size; i-- > 0;)
        value = value << 8 | bytes[i];
    return value;
}

struct Win32PlatformTest : ::testing::Test {
    Win32Platform platform { [](Window) { return std::uintptr_t { 0 }; }, {} };
};

std::string OwnFileName()
{
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path, length);
    return full.substr(full.find_last_of('\\') + 1);
}

TEST_F(Win32PlatformTest, TheToolhelpWalkFindsThisProcessByName)
{
    const Handle snapshot = platform.CreateToolhelp32Snapshot(w32::Th32csSnapProcess, 0);
    ASSERT_NE(snapshot, static_cast<Handle>(-1));
    std::array<std::uint8_t, w32::ProcessEntry32Size> entry {};
    entry[0] = w32::ProcessEntry32Size & 0xff; // dwSize, little-endian
    entry[1] = w32::ProcessEntry32Size >> 8;
    bool found = false;
    for (bool more = platform.Process32First(snapshot, entry); more; more = platform.Process32Next(snapshot, entry)) {
        const char* name = reinterpret_cast<const char*>(entry.data() + w32::ProcessEntry32NameOffset);
        if (OwnFileName() == name) {
            EXPECT_EQ(LittleEndian(entry.data() + 8, 4), ::GetCurrentProcessId()) << "th32ProcessID";
            found = true;
        }
    }
    EXPECT_TRUE(platform.CloseHandle(snapshot));
    EXPECT_TRUE(found) << OwnFileName();
    EXPECT_TRUE(ProcessList(platform).IsProcessRunning(OwnFileName()));
    EXPECT_FALSE(ProcessList(platform).IsProcessRunning("no-such-program.exe"));
}

TEST_F(Win32PlatformTest, TheThreeSystemInformationRecordsParse)
{
    std::vector<std::uint8_t> basic(w32::SystemBasicInformationSize),
        performance(w32::SystemPerformanceInformationSize), timeOfDay(w32::SystemTimeOfDayInformationSize);
    ASSERT_EQ(
        platform.NtQuerySystemInformation(w32::SystemBasicInformation, basic, w32::SystemBasicInformationSize), 0);
    ASSERT_EQ(platform.NtQuerySystemInformation(
                  w32::SystemPerformanceInformation, performance, w32::SystemPerformanceInformationSize),
        0);
    ASSERT_EQ(platform.NtQuerySystemInformation(
                  w32::SystemTimeOfDayInformation, timeOfDay, w32::SystemTimeOfDayInformationSize),
        0);
    SYSTEM_INFO system {};
    ::GetSystemInfo(&system);
    EXPECT_EQ(basic[w32::BasicNumberOfProcessorsOffset], system.dwNumberOfProcessors);
    // 100-nanosecond units since 1601: between 2020 and 2100.
    const auto now = LittleEndian(timeOfDay.data() + w32::TimeOfDayCurrentTimeOffset, 8);
    EXPECT_GT(now, 132223104000000000ull);
    EXPECT_LT(now, 157469184000000000ull);
    const auto idleTime = LittleEndian(performance.data() + w32::PerformanceIdleTimeOffset, 8);
    EXPECT_GT(idleTime, 0u);
}

TEST_F(Win32PlatformTest, ARegistryRoundTripUnderAKeyOfItsOwn)
{
    const std::string path = "Software\\Vespern platform test " + std::to_string(::GetCurrentProcessId());
    HKey key = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(platform.RegCreateKeyExA(w32::HkeyCurrentUser, path, 0, w32::KeyAllAccess, key, disposition), 0);
    EXPECT_EQ(disposition, static_cast<std::uint32_t>(REG_CREATED_NEW_KEY));
    const std::string text = "C:\\Program Files\\Vespern\\vespern.exe";
    const std::vector<std::uint8_t> textBytes(text.c_str(), text.c_str() + text.size() + 1);
    const std::vector<std::uint8_t> number = { 1, 0, 0, 0 };
    EXPECT_EQ(platform.RegSetValueExA(key, "program", w32::RegSz, textBytes), 0);
    EXPECT_EQ(platform.RegSetValueExA(key, "DisableTaskMgr", w32::RegDword, number), 0);
    EXPECT_EQ(platform.RegCloseKey(key), 0);

    ASSERT_EQ(platform.RegOpenKeyExA(w32::HkeyCurrentUser, path, 0, w32::KeyAllAccess, key), 0);
    for (const auto& [name, type, bytes] :
        { std::tuple { "PROGRAM", w32::RegSz, textBytes }, std::tuple { "DisableTaskMgr", w32::RegDword, number } }) {
        std::uint32_t readType = 0, size = 0;
        ASSERT_EQ(platform.RegQueryValueExA(key, name, readType, {}, size), 0) << name;
        std::vector<std::uint8_t> data(size);
        ASSERT_EQ(platform.RegQueryValueExA(key, name, readType, data, size), 0) << name;
        EXPECT_EQ(readType, type) << name;
        EXPECT_EQ(data, bytes) << name;
    }
    EXPECT_EQ(platform.RegDeleteValueA(key, "program"), 0);
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(platform.RegQueryValueExA(key, "program", type, {}, size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(platform.RegCloseKey(key), 0);
    EXPECT_EQ(::RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str()), ERROR_SUCCESS);
    EXPECT_NE(platform.RegOpenKeyExA(w32::HkeyCurrentUser, path, 0, w32::KeyAllAccess, key), 0);
}

TEST_F(Win32PlatformTest, CodePage1252ConvertsEAcute)
{
    EXPECT_EQ(platform.MultiByteToWideChar(1252, "\xe9"), u"\u00e9");
    EXPECT_EQ(platform.WideCharToMultiByte(1252, u"\u00e9"), "\xe9");
    EXPECT_EQ(platform.MultiByteToWideChar(1252, "C:\\users\\Ren\xe9\\Desktop"), u"C:\\users\\Ren\u00e9\\Desktop");
    // The program's 8-bit text is in the system's code page, which is 1252 under Wine.
    EXPECT_EQ(::GetACP(), 1252u);
    EXPECT_EQ(platform.MultiByteToWideChar(CP_ACP, "\xe9"), u"\u00e9");
}

// Saves a shell link the way the desktop action files do, to this program with its folder, a
// description and an icon beside it, into VESPERN_SHELL_LINK_FILE (or a temporary folder) for a
// reader on the host to check.
TEST_F(Win32PlatformTest, SavesAShellLink)
{
    const auto target = GetEnvironment("VESPERN_SHELL_LINK_FILE");
    const std::filesystem::path folder = MakeTemporaryDirectory("vespern-link-");
    const std::string file = target ? *target : (folder / "SHUTDOWN.link").string();
    ASSERT_EQ(::CoInitialize(nullptr), S_OK);
    ComObject unknown = 0, link = 0, persist = 0;
    ASSERT_EQ(platform.CoCreateInstance(w32::ClsidShellLink, 5, w32::IidIUnknown, unknown), 0);
    ASSERT_EQ(platform.QueryInterface(unknown, w32::IidIShellLinkA, link), 0);
    EXPECT_EQ(platform.IShellLinkA_SetArguments(link, ""), 0);
    const std::string program = platform.GetModuleFileNameA(0);
    const std::string programFolder = program.substr(0, program.find_last_of('\\') + 1);
    EXPECT_EQ(platform.IShellLinkA_SetPath(link, program), 0);
    EXPECT_EQ(platform.IShellLinkA_SetWorkingDirectory(link, programFolder), 0);
    EXPECT_EQ(platform.IShellLinkA_SetDescription(link, "Lock\\switch user"), 0);
    EXPECT_EQ(platform.IShellLinkA_SetIconLocation(link, programFolder + "Vespern.ico", 0), 0);
    ASSERT_EQ(platform.QueryInterface(link, w32::IidIPersistFile, persist), 0);
    const std::u16string wide = platform.MultiByteToWideChar(CP_ACP, file);
    EXPECT_EQ(platform.IPersistFile_Save(persist, wide, false), 0);
    for (const ComObject object : { persist, link, unknown })
        platform.Release(object);
    ::CoUninitialize();
    EXPECT_TRUE(std::filesystem::exists(file));
    if (!target)
        std::filesystem::remove_all(folder);
}

} // namespace
} // namespace vespern::test
