// The dry run over the real Linux backend: every handler that would change the system runs,
// and afterwards the private home, registry, desktop and trash are exactly as they were.

#include "core/LocalActions.h"
#include "core/RemoteAction.h"
#include "core/TForm2Model.h"
#include "platform/Win32Constants.h"
#include "platform/dryrun/TracingPlatform.h"
#include "platform/linux/LinuxPlatform.h"
#include "support/RecordingDialogs.h"
#include "support/TempUserDirs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sys/stat.h>

namespace vespern::test {
namespace {

struct Entry {
    std::string content; // "<dir>" for a directory
    unsigned mode = 0;
    long long mtime = 0;
    bool operator==(const Entry&) const = default;
};

void PrintTo(const Entry& entry, std::ostream* out)
{
    *out << "mode " << std::oct << entry.mode << std::dec << ", mtime " << entry.mtime << ", \"" << entry.content
         << "\"";
}

std::map<std::string, Entry> snapshot(const std::filesystem::path& root)
{
    std::map<std::string, Entry> tree;
    for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
        struct stat info { };
        ::lstat(item.path().c_str(), &info);
        tree[item.path().lexically_relative(root).string()] = { item.is_directory() ? "<dir>" : ReadText(item.path()),
            info.st_mode, static_cast<long long>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec };
    }
    return tree;
}

std::vector<std::string> names(const std::map<std::string, Entry>& tree)
{
    std::vector<std::string> out;
    for (const auto& [name, entry] : tree)
        out.push_back(name);
    return out;
}

struct DryRunHome {
    DryRunHome()
    {
        dirs.set("XDG_DATA_HOME", (dirs.root / "data").string());
        // Should anything slip through, no desktop service of the real session can be reached.
        dirs.set("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + (dirs.root / "no-bus").string());
        dirs.set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (dirs.root / "no-bus").string());
        dirs.set("DISPLAY", "");
        dirs.set("WAYLAND_DISPLAY", "");
        WriteText(dirs.config / "user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n");
        WriteText(dirs.home / "Desktop" / "REBOOT.link", "an older link");
        WriteText(dirs.root / "data" / "Trash" / "files" / "letter.txt", "kept");
        WriteText(dirs.root / "data" / "Trash" / "info" / "letter.txt.trashinfo",
            "[Trash Info]\nPath=/tmp/letter.txt\nDeletionDate=2026-01-01T00:00:00\n");
        WriteText(dirs.root / "mountinfo", "");
        WriteText(dirs.config / "autostart" / "vespern.desktop", "[Desktop Entry]\nExec=/old/vespern\n");
        WriteText(dirs.registry / "HKEY_CURRENT_USER.reg",
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n\"Vespern\"=\"/old/vespern\"\n\n");
        // A store that cannot be parsed: reading it must leave it where it is.
        WriteText(dirs.registry / "HKEY_CLASSES_ROOT.reg",
            "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\vespern\\setting]\n\"start up\"=\"1\n");
        WriteText(dirs.root / "starter.sh", "#!/bin/sh\ntouch \"$0.ran\"\n");
        std::filesystem::permissions(dirs.root / "starter.sh", std::filesystem::perms::owner_all);
    }

    LinuxPaths paths()
    {
        LinuxPaths chosen;
        chosen.dataHome = dirs.root / "data";
        chosen.mountTable = dirs.root / "mountinfo";
        chosen.busTimeout = std::chrono::milliseconds(500);
        return chosen;
    }

    TempUserDirs dirs;
    std::vector<std::string> backendLines;
    std::vector<std::string> printed;
    TracingPlatform platform { std::make_unique<LinuxPlatform>(
                                   paths(), [this](const std::string& line) { backendLines.push_back(line); }),
        TracingPlatform::Mode::DryRun, [this](const std::string& line) { printed.push_back(line); } };
    RecordingDialogs dialogs;
    TApplication application { dialogs };
    TForm2Model form2 { platform, application };

    bool printedStartingWith(const std::string& start) const
    {
        return std::any_of(
            printed.begin(), printed.end(), [&](const std::string& line) { return line.starts_with(start); });
    }
};

TEST(DryRunOverLinux, SavingOptionsShortcutsAndActionsLeaveEveryFileAsItWas)
{
    DryRunHome home;
    const auto before = snapshot(home.dirs.root);

    auto& form2 = home.form2;
    home.application.Title = "Vespern";
    EXPECT_TRUE(home.application.Dispatch([&] { form2.LoadSettings(); }));
    form2.startup.Checked = false;
    form2.ontop.Checked = form2.empty.Checked = form2.CheckBox1.Checked = true;
    form2.Hideshutdwnbtn.Checked = form2.CheckBox4.Checked = true;
    form2.SetChecked(form2.CheckBox3, true);
    form2.Edit1.Text = (home.dirs.root / "starter.sh").string();
    EXPECT_TRUE(home.application.Dispatch([&] { form2.BitBtn1Click(); }));
    EXPECT_TRUE(home.application.Dispatch([&] { form2.SetChecked(form2.shutdown_scut, true); }));
    EXPECT_TRUE(home.application.Dispatch([&] { form2.SetChecked(form2.reboot_scut, true); }));
    EXPECT_TRUE(home.application.Dispatch([&] { form2.SetChecked(form2.reboot_scut, false); }));
    EXPECT_TRUE(home.application.Dispatch([&] { form2.LoadSettings(); }));

    const bool forced = true, runProgram = false, emptyBin = true;
    const std::string program;
    LocalActions actions { home.platform, home.dialogs, LocalActionInputs { forced, runProgram, program, emptyBin } };
    for (int kind = 0; kind < static_cast<int>(ActionKindCount); ++kind)
        actions.RunLocalAction(static_cast<ActionKind>(kind));
    const std::string client = "\\\\127.0.0.1";
    RemoteAction remote { home.platform, actions, RemoteActionInputs { client, forced, emptyBin } };
    EXPECT_NO_THROW(remote.RunRemoteAction(RemoteActionKind::Reboot));
    home.platform.ShellExecuteA(
        Window::Main, std::nullopt, (home.dirs.root / "starter.sh").string(), std::nullopt, std::nullopt, w32::SwShow);
    EXPECT_TRUE(home.platform.CreateDirectoryA((home.dirs.root / "made").string()));

    const auto after = snapshot(home.dirs.root);
    EXPECT_EQ(names(after), names(before));
    for (const auto& [name, entry] : before)
        EXPECT_EQ(after.contains(name) ? after.at(name) : Entry {}, entry) << name;

    for (const char* request : { "RegSetValueExA", "RegDeleteValueA", "RegCreateKeyExA", "IPersistFile::Save",
             "DeleteFileA", "CreateDirectoryA", "SHEmptyRecycleBinA", "ExitWindowsEx", "SetSystemPowerState",
             "LockWorkStation", "SendMessageA", "DefWindowProcA", "InitiateSystemShutdownA", "ShellExecuteA" })
        EXPECT_TRUE(home.printedStartingWith(request)) << request;
    EXPECT_FALSE(home.printedStartingWith("RegSetValueExA hKey=0x0 ")) << "keys come from the backend or the dry run";
    EXPECT_TRUE(!home.dialogs.shown.empty());
}

} // namespace
} // namespace vespern::test
