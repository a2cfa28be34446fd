// "Save Setting" as an ordinary user: the machine-wide values go to the user's own machine file
// when the administrator's directory cannot be written. Run as root (as CI does), each case
// drops to the account "nobody" in a child process with a home of its own.

#include "core/TApplication.h"
#include "core/TForm2Model.h"
#include "platform/Win32Constants.h"
#include "platform/linux/LinuxPlatform.h"
#include "support/RecordingDialogs.h"
#include "support/ScriptedPlatform.h"
#include "support/TempUserDirs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <grp.h>
#include <map>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vespern::test {
namespace {

constexpr char systemPolicies[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\system";

// Every file below a directory with its content; empty when it does not exist.
std::map<std::string, std::string> filesBelow(const std::filesystem::path& directory)
{
    std::map<std::string, std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory, error))
        files[entry.path().string()] = entry.is_regular_file() ? ReadText(entry.path()) : std::string("<dir>");
    return files;
}

class UnprivilegedUser : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vespern-user-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        home = root_ / "home";
        std::filesystem::create_directories(home);
        std::filesystem::permissions(root_, std::filesystem::perms(0755));
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            ASSERT_NE(nobody, nullptr) << "no account \"nobody\" to drop to";
            uid_ = nobody->pw_uid;
            gid_ = nobody->pw_gid;
            ASSERT_EQ(::chown(home.c_str(), uid_, gid_), 0);
        } else if (::access("/etc", W_OK) == 0) {
            GTEST_SKIP() << "this account may write /etc: it is not an ordinary user";
        }
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    // Runs the body in a child process as the unprivileged user, HOME set to the test's home and
    // no other location configured; returns the body's result (90 when the drop failed).
    int runAsUser(const std::function<int()>& body)
    {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(gid_) != 0 || ::setuid(uid_) != 0))
                ::_exit(90);
            ::setenv("HOME", home.c_str(), 1);
            for (const char* name : { "XDG_CONFIG_HOME", "XDG_DATA_HOME", "VESPERN_REGISTRY_DIR" })
                ::unsetenv(name);
            ::_exit(body());
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void report(const std::string& text) const { WriteText(home / "report", text); }
    std::string reported() const { return ReadText(home / "report"); }

    std::filesystem::path home;

private:
    std::filesystem::path root_;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
};

TEST_F(UnprivilegedUser, SavesEveryOptionWithTheDefaultLocationsAndWritesNothingUnderEtc)
{
    const auto etcBefore = filesBelow("/etc/vespern");
    ASSERT_EQ(runAsUser([this] {
        LinuxPlatform storage(LinuxPaths {}, [](const std::string&) {});
        RecordingPlatform recorder;
        recorder.script().storage = &storage;
        RecordingDialogs dialogs;
        TApplication application(dialogs);
        application.Title = "Vespern";
        TForm2Model form2(recorder.platform(), application);
        for (TCheckBox* box : { &form2.startup, &form2.empty, &form2.ontop, &form2.CheckBox1, &form2.Hideshutdwnbtn,
                 &form2.CheckBox4, &form2.CheckBox3 })
            form2.SetChecked(*box, true);
        form2.Edit1.Text = "/opt/editor";
        application.Dispatch([&] { form2.BitBtn1Click(); });
        std::string shown;
        for (const auto& message : dialogs.shown)
            shown += message.title + "|" + message.text + "|" + std::to_string(static_cast<int>(message.icon)) + "\n";
        report(shown);
        return 0;
    }),
        0);

    EXPECT_EQ(reported(), "Vespern|Successfully saved, Some feature activated after restart|0\n");
    const auto config = home / ".config" / "vespern";
    const std::string options = ReadText(config / "HKEY_CLASSES_ROOT.reg");
    for (const char* line : { "\"run program\"=\"1\"", "\"program\"=\"/opt/editor\"", "\"empty recycle bin\"=\"1\"",
             "\"sistemkey\"=\"1\"" })
        EXPECT_NE(options.find(line), std::string::npos) << line << " in\n" << options;
    const std::string machine = ReadText(config / "HKEY_LOCAL_MACHINE.reg");
    for (const char* line : { "\"DisableTaskMgr\"=dword:00000001", "\"NoClose\"=dword:00000001",
             "\"NoLogoff\"=dword:00000001", "\"StartMenuLogOff\"=dword:00000001" })
        EXPECT_NE(machine.find(line), std::string::npos) << line << " in\n" << machine;
    EXPECT_EQ(filesBelow("/etc/vespern"), etcBefore) << "nothing is written under /etc";
}

TEST_F(UnprivilegedUser, ReadsTheAdministratorsValuesAndKeepsItsOwnInFront)
{
    const auto admin = home.parent_path() / "admin";
    WriteText(admin / "HKEY_LOCAL_MACHINE.reg",
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\system]\r\n"
        "\"DisableTaskMgr\"=dword:00000001\r\n\"SetByAdmin\"=\"yes\"\r\n");
    std::filesystem::permissions(admin, std::filesystem::perms(0555));
    const std::string adminBefore = ReadText(admin / "HKEY_LOCAL_MACHINE.reg");

    ASSERT_EQ(runAsUser([&] {
        LinuxPaths paths;
        paths.registry.localMachineDir = admin;
        std::vector<std::string> errors;
        LinuxPlatform platform(paths, [&](const std::string& line) { errors.push_back(line); });
        const auto read = [&](const char* name) {
            HKey key = 0;
            std::uint32_t type = 0, size = 8;
            std::vector<std::uint8_t> data(8);
            if (platform.RegOpenKeyExA(w32::HkeyLocalMachine, systemPolicies, 0, w32::KeyAllAccess, key) != 0
                || platform.RegQueryValueExA(key, name, type, data, size) != 0)
                return std::string("missing");
            platform.RegCloseKey(key);
            return type == w32::RegDword ? std::to_string(data[0]) : std::string(data.begin(), data.begin() + size - 1);
        };
        std::string text = "admin=" + read("SetByAdmin") + " before=" + read("DisableTaskMgr");
        HKey key = 0;
        std::uint32_t disposition = 0;
        const std::uint8_t zero[] = { 0, 0, 0, 0 };
        const auto created
            = platform.RegCreateKeyExA(w32::HkeyLocalMachine, systemPolicies, 0, w32::KeyAllAccess, key, disposition);
        const auto set = platform.RegSetValueExA(key, "DisableTaskMgr", w32::RegDword, zero);
        text += " write=" + std::to_string(created) + "," + std::to_string(set) + " after=" + read("DisableTaskMgr")
            + " errors=" + std::to_string(errors.size());
        report(text);
        return 0;
    }),
        0);

    EXPECT_EQ(reported(), "admin=yes before=1 write=0,0 after=0 errors=0");
    EXPECT_EQ(ReadText(admin / "HKEY_LOCAL_MACHINE.reg"), adminBefore);
    const std::string own = ReadText(home / ".config" / "vespern" / "HKEY_LOCAL_MACHINE.reg");
    EXPECT_NE(own.find("\"DisableTaskMgr\"=dword:00000000"), std::string::npos) << own;
    EXPECT_EQ(own.find("SetByAdmin"), std::string::npos) << "the administrator's values are not copied";
    std::filesystem::permissions(admin, std::filesystem::perms(0755));
}

} // namespace
} // namespace vespern::test
