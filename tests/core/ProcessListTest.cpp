#include "core/ProcessList.h"
#include "support/MonitorProgram.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

TEST(ProcessList, WalksTheSnapshotWithA296ByteEntryAndReleasesIt)
{
    RecordingPlatform recorder;
    recorder.script().processes = { processEntry("System"), processEntry("editor.exe") };
    ProcessList processes(recorder.platform());
    TComboBox list;
    list.Items = { "kept" };
    processes.ListProcessNames(list);
    EXPECT_EQ(list.Items, (std::vector<std::string> { "kept", "System", "editor.exe" }));
    const std::vector<std::string> expected = {
        "GetModuleHandleA lpModuleName=\"kernel32.dll\"",
        "GetProcAddress hModule=0x20000000 lpProcName=\"CreateToolhelp32Snapshot\"",
        "GetProcAddress hModule=0x20000000 lpProcName=\"Process32First\"",
        "GetProcAddress hModule=0x20000000 lpProcName=\"Process32Next\"",
        "CreateToolhelp32Snapshot dwFlags=2 th32ProcessID=0",
        "Process32First hSnapshot=0x2000",
        "Process32Next hSnapshot=0x2000",
        "Process32Next hSnapshot=0x2000",
        "CloseHandle hObject=0x2000",
    };
    EXPECT_EQ(recorder.calls, expected);
}

TEST(ProcessList, NamesAreComparedByteForByte)
{
    RecordingPlatform recorder;
    auto longName = std::string(259, 'a');
    recorder.script().processes = { processEntry("Editor.exe"), processEntry(longName) };
    ProcessList processes(recorder.platform());
    EXPECT_TRUE(processes.IsProcessRunning("Editor.exe"));
    EXPECT_TRUE(processes.IsProcessRunning(longName));
    for (const std::string other : { "editor.exe", "Editor", "Editor.exe ", "", "Editor.exe\t" })
        EXPECT_FALSE(processes.IsProcessRunning(other)) << other;
}

TEST(ProcessList, AFailedSnapshotYieldsNothing)
{
    RecordingPlatform recorder;
    recorder.script().processes = { processEntry("editor.exe") };
    recorder.script().snapshotFails = true;
    ProcessList processes(recorder.platform());
    TComboBox list;
    processes.ListProcessNames(list);
    EXPECT_TRUE(list.Items.empty());
    EXPECT_FALSE(processes.IsProcessRunning("editor.exe"));
    EXPECT_TRUE(recorder.callsTo({ "CloseHandle", "Process32First" }).empty());
}

} // namespace
} // namespace vespern::test
