#include "platform/dryrun/TracingPlatform.h"
#include "platform/Win32Constants.h"
#include "support/ScriptedPlatform.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

// Counts what reaches the platform under the dry run.
struct DryRun {
    RecordingPlatform inner;
    std::vector<std::string> printed;
    TracingPlatform platform { inner.platform(), TracingPlatform::Mode::DryRun,
        [this](const std::string& line) { printed.push_back(line); } };
};

TEST(DryRun, RequestsThatChangeTheSystemArePrintedAndNotMade)
{
    DryRun dry;
    auto& p = dry.platform;
    EXPECT_TRUE(p.ExitWindowsEx(5, 0));
    EXPECT_TRUE(p.SetSystemPowerState(true, true));
    EXPECT_TRUE(p.LockWorkStation());
    p.SendMessageA(Window::Application, w32::WmSysCommand, w32::ScMonitorPower, 2);
    p.DefWindowProcA(Window::Main, w32::WmSysCommand, w32::ScScreenSave, 0);
    EXPECT_TRUE(p.InitiateSystemShutdownA("\\\\PC", "Network computer action activated", 0, 0, -1));
    EXPECT_TRUE(p.InternetAutodialHangup(0));
    EXPECT_GT(p.ShellExecuteA(Window::Main, std::nullopt, "/bin/true", std::nullopt, std::nullopt, 5), 32);
    EXPECT_EQ(p.SHEmptyRecycleBinA(Window::Application, std::nullopt, 7), 0);
    EXPECT_TRUE(p.DeleteFileA("/tmp/x"));
    EXPECT_TRUE(p.CreateDirectoryA("/tmp/y"));
    std::uint32_t length = 0;
    EXPECT_TRUE(p.AdjustTokenPrivileges(0x1000, false, TokenPrivileges { 1, {}, 2 }, 0, length));
    EXPECT_EQ(p.GetLastError(), 0u);

    EXPECT_EQ(p.IPersistFile_Save(0x42, u"/home/ana/\u00c1rea de trabalho\\SHUTDOWN.link", false), 0);

    // A file name cannot end the line or reach the terminal as a control sequence.
    EXPECT_TRUE(p.DeleteFileA("/tmp/a\x1b[2J\tb\r\n"));
    EXPECT_EQ(dry.printed.back(), "DeleteFileA lpFileName=\"/tmp/a\\x1B[2J\\x09b\\r\\n\"");
    dry.printed.pop_back();

    EXPECT_EQ(dry.printed.size(), 13u);
    EXPECT_EQ(dry.printed.back(),
        "IPersistFile::Save this=0x42 pszFileName=L\"/home/ana/\xC3\x81"
        "rea de trabalho\\SHUTDOWN.link\" "
        "fRemember=FALSE");
    EXPECT_EQ(dry.printed.front(), "ExitWindowsEx uFlags=5 dwReserved=0");
    EXPECT_EQ(dry.printed[5],
        "InitiateSystemShutdownA lpMachineName=\"\\\\PC\" lpMessage=\"Network computer action activated\" "
        "dwTimeout=0 bForceAppsClosed=0 bRebootAfterShutdown=-1");
    EXPECT_TRUE(dry.inner.calls.empty()) << dry.inner.calls.front();
}

TEST(DryRun, QueriesPassThroughSilentlyAndActionStepsArePrinted)
{
    DryRun dry;
    auto& p = dry.platform;
    SystemPowerStatus power;
    p.GetSystemPowerStatus(power);
    SystemTime time;
    p.GetLocalTime(time);
    OsVersionInfo version;
    p.GetVersionExA(version);
    EXPECT_EQ(version.dwPlatformId, w32::VerPlatformWin32Nt);
    Handle token = 0;
    EXPECT_TRUE(p.OpenProcessToken(0x28, token));
    EXPECT_EQ(dry.printed,
        (std::vector<std::string> {
            "GetVersionExA", "OpenProcessToken ProcessHandle=GetCurrentProcess() DesiredAccess=0x28" }));
    EXPECT_EQ(dry.inner.calls.size(), 4u);
}

TEST(DryRun, RegistryWritesAreSuppressedButReadsStillSeeExistingKeys)
{
    DryRun dry;
    auto& p = dry.platform;
    HKey key = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(p.RegCreateKeyExA(w32::HkeyClassesRoot, "\\vespern\\setting", 0, w32::KeyAllAccess, key, disposition), 0);
    EXPECT_EQ(key, 0x4000u); // the scripted platform's existing key, opened for real
    const std::string one = "1";
    const std::uint8_t data[] = { '1', 0 };
    EXPECT_EQ(p.RegSetValueExA(key, "start up", w32::RegSz, data), 0);
    EXPECT_EQ(p.RegDeleteValueA(key, "Vespern"), 0);
    EXPECT_EQ(dry.inner.callsTo({ "RegCreateKeyExA", "RegSetValueExA", "RegDeleteValueA" }).size(), 0u);
    EXPECT_EQ(dry.inner.callsTo({ "RegOpenKeyExA" }).size(), 1u);
    EXPECT_EQ(dry.printed.at(1), "RegSetValueExA hKey=0x4000 lpValueName=\"start up\" dwType=1 lpData=\"1\" cbData=2");
}

} // namespace
} // namespace vespern::test
