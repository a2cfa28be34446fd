#include "support/MonitorProgram.h"

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

struct Remote {
    explicit Remote(const std::string& client)
    {
        program.useNetwork(client);
        program.chooseAction(0);
    }
    bool now() { return program.form1.BitBtn1Click(); }
    std::vector<std::string> steps() const
    {
        return program.recorder.callsTo({ "SHEmptyRecycleBinA", "OpenProcessToken", "CompareStringA",
            "LookupPrivilegeValueA", "AdjustTokenPrivileges", "InitiateSystemShutdownA", "CloseHandle" });
    }
    MonitorProgram program;
};

std::string adjust(int attributes)
{
    return "AdjustTokenPrivileges TokenHandle=0x1000 DisableAllPrivileges=FALSE PrivilegeCount=1 Luid=0:19 "
           "Attributes="
        + std::to_string(attributes) + " BufferLength=0 PreviousState=NULL";
}

std::string shutdown(const std::string& client, int force, int reboot)
{
    return "InitiateSystemShutdownA lpMachineName=\"" + client
        + "\" lpMessage=\"Network computer action activated\" dwTimeout=0 bForceAppsClosed=" + std::to_string(force)
        + " bRebootAfterShutdown=" + std::to_string(reboot);
}

TEST(RemoteAction, RunsItsStepsInOrderWithTheChosenPrivilege)
{
    struct Case {
        std::string client;
        std::string shown; // as recorded
        std::string privilege;
    };
    const std::vector<Case> cases = {
        { "", "", "SeShutdownPrivilege" },
        { "DESKTOP1", "DESKTOP1", "SeRemoteShutdownPrivilege" },
        { "\\\\SERVER7", "\\\\SERVER7", "SeRemoteShutdownPrivilege" },
    };
    for (const auto& c : cases) {
        Remote remote(c.client);
        EXPECT_TRUE(remote.now());
        const std::vector<std::string> expected = {
            "OpenProcessToken ProcessHandle=GetCurrentProcess() DesiredAccess=0x28",
            "CompareStringA Locale=0x400 dwCmpFlags=1 lpString1=\"" + c.shown
                + "\" cchCount1=" + std::to_string(c.client.size()) + " lpString2=\"\" cchCount2=0",
            "LookupPrivilegeValueA lpSystemName=\"" + c.shown + "\" lpName=\"" + c.privilege + "\"",
            adjust(2),
            shutdown(c.shown, 0, 0),
            adjust(0),
            "CloseHandle hObject=0x1000",
        };
        EXPECT_EQ(remote.steps(), expected) << c.client;
        EXPECT_TRUE(remote.program.dialogs.shown.empty());
    }
}

TEST(RemoteAction, ForceAndRebootArePassedAsMinusOne)
{
    for (const auto& [force, action, expectedForce, expectedReboot] : std::vector<std::tuple<bool, int, int, int>> {
             { false, 0, 0, 0 }, { true, 0, -1, 0 }, { false, 1, 0, -1 }, { true, 1, -1, -1 } }) {
        Remote remote("PC2");
        remote.program.form1.CheckBox1.Checked = force;
        remote.program.chooseAction(action);
        remote.now();
        EXPECT_EQ(remote.program.recorder.callsTo({ "InitiateSystemShutdownA" }),
            std::vector<std::string> { shutdown("PC2", expectedForce, expectedReboot) });
    }
}

TEST(RemoteAction, EachFailureShowsItsExactMessageAndStopsWhereItShould)
{
    const std::string noPrivilege = "You do not have Remote Shutdown Privilege on this\r"
                                    "computer, or computer is not a Windows NT computer,\r"
                                    "or computer cannot be found on the network.";
    struct Case {
        const char* name;
        std::function<void(PlatformScript&)> script;
        std::string message;
        std::vector<std::string> calls; // AdjustTokenPrivileges and InitiateSystemShutdownA, in order
    };
    const std::vector<Case> cases = {
        { "token", [](PlatformScript& s) { s.openProcessTokenFails = true; }, "OpenProcessToken failed.", {} },
        { "lookup", [](PlatformScript& s) { s.lookupPrivilegeFails = true; }, noPrivilege, {} },
        { "enable", [](PlatformScript& s) { s.adjustErrors = { 1300 }; }, "AdjustTokenPrivileges enable failed.",
            { adjust(2) } },
        { "shutdown", [](PlatformScript& s) { s.initiateShutdownFails = true; }, "InitiateSystemShutdown failed.",
            { adjust(2), shutdown("PC2", 0, 0), adjust(0) } },
        { "disable",
            [](PlatformScript& s) {
                s.adjustErrors = { 0, 5 };
            },
            "AdjustTokenPrivileges disable failed.", { adjust(2), shutdown("PC2", 0, 0), adjust(0) } },
        { "shutdown and disable",
            [](PlatformScript& s) {
                s.initiateShutdownFails = true;
                s.adjustErrors = { 0, 5 };
            },
            "AdjustTokenPrivileges disable failed.", { adjust(2), shutdown("PC2", 0, 0), adjust(0) } },
    };
    for (const auto& c : cases) {
        Remote remote("PC2");
        remote.program.arm(EventKind::Countdown);
        c.script(remote.program.script());
        EXPECT_FALSE(remote.now()) << c.name;
        // No full stop is added: every message ends in one.
        const std::vector<ShownMessage> expected = { { "Vespern", c.message, MessageIcon::Error } };
        EXPECT_EQ(remote.program.dialogs.shown, expected) << c.name;
        EXPECT_EQ(remote.program.recorder.callsTo({ "AdjustTokenPrivileges", "InitiateSystemShutdownA" }), c.calls)
            << c.name;
        EXPECT_TRUE(remote.program.armed()) << c.name;
    }
}

TEST(RemoteAction, TheLocalRecycleBinIsEmptiedFirstEvenWhenTheActionFails)
{
    Remote remote("PC2");
    remote.program.form2.empty.Checked = true;
    remote.program.script().lookupPrivilegeFails = true;
    remote.now();
    const auto steps = remote.steps();
    ASSERT_GE(steps.size(), 2u);
    EXPECT_EQ(steps[0], "SHEmptyRecycleBinA hwnd=application pszRootPath=NULL dwFlags=7");
    EXPECT_EQ(steps[1], "OpenProcessToken ProcessHandle=GetCurrentProcess() DesiredAccess=0x28");
}

} // namespace
} // namespace vespern::test
