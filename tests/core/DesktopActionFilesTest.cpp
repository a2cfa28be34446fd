#include "support/HostSystem.h"
#include "support/OptionsHarness.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace vespern::test {
namespace {

struct Desktop : OptionsHarness {
    Desktop() { std::filesystem::create_directories(dirs.home / "Desktop"); }
    std::filesystem::path file(const std::string& name) const { return dirs.home / "Desktop" / name; }
    void tick(TCheckBox& box, bool on)
    {
        run([&] { form2.SetChecked(box, on); });
    }
};

TEST(DesktopActionFiles, TickWritesTheLinkAndUntickDeletesIt)
{
    for (std::size_t row = 0; row < DesktopActionFileTable.size(); ++row) {
        Desktop d;
        const auto& entry = DesktopActionFileTable[row];
        const auto file = d.file(std::string(entry.fileName.substr(1)));
        TCheckBox& box = d.form2.ShortcutBox(row);
        d.tick(box, true);
        EXPECT_TRUE(std::filesystem::exists(file)) << entry.control;
        d.tick(box, false);
        EXPECT_FALSE(std::filesystem::exists(file)) << entry.control;
        d.tick(box, true);
        EXPECT_TRUE(std::filesystem::exists(file)) << entry.control;
        std::filesystem::remove(file);
        d.tick(box, false); // the user removed the file already
        EXPECT_TRUE(d.dialogs.shown.empty()) << entry.control;
    }
}

TEST(DesktopActionFiles, TheLinkIsMadeThroughTheShellLinkObject)
{
    Desktop d;
    d.tick(d.form2.shutdown_scut, true);
    const std::string desktop = (d.dirs.home / "Desktop").string();
    const auto calls = d.recorder.callsTo({ "CoCreateInstance", "QueryInterface", "IShellLinkA::SetArguments",
        "IShellLinkA::SetPath", "IShellLinkA::SetWorkingDirectory", "IShellLinkA::SetDescription",
        "IShellLinkA::SetIconLocation", "IPersistFile::Save", "Release" });
    ASSERT_EQ(calls.size(), 12u);
    EXPECT_TRUE(calls[0].starts_with("CoCreateInstance rclsid={00021401-0000-0000-C000-000000000046} pUnkOuter=NULL "
                                     "dwClsContext=5 riid={00000000-0000-0000-C000-000000000046}"))
        << calls[0];
    EXPECT_NE(calls[1].find("{000214EE-0000-0000-C000-000000000046}"), std::string::npos);
    EXPECT_NE(calls[2].find("{0000010B-0000-0000-C000-000000000046}"), std::string::npos);
    EXPECT_NE(calls[3].find("pszArgs=\"\""), std::string::npos) << calls[3];
    EXPECT_NE(calls[4].find("pszFile=\"/opt/vespern/vespern\""), std::string::npos) << calls[4];
    EXPECT_NE(calls[5].find("pszDir=\"" + desktop + "\\\""), std::string::npos) << calls[5];
    EXPECT_NE(calls[6].find("pszName=\"shutdown\""), std::string::npos) << calls[6];
    EXPECT_NE(calls[7].find("pszIconPath=\"/opt/vespern/Vespern.ico\" iIcon=0"), std::string::npos) << calls[7];
    EXPECT_NE(calls[8].find("pszFileName=L\"" + desktop + "\\SHUTDOWN.link\" fRemember=FALSE"), std::string::npos)
        << calls[8];
    for (std::size_t i = 9; i < 12; ++i)
        EXPECT_TRUE(calls[i].starts_with("Release")) << calls[i];
}

TEST(DesktopActionFiles, ReadersOfTheLinkFormatFindEveryField)
{
    Desktop d;
    d.tick(d.form2.lock_scut, true);
    const auto file = d.file("SWITCH USER.link");
    ASSERT_TRUE(std::filesystem::exists(file));
    const ProgramResult info = RunProgram({ "lnkinfo", file.string() });
    if (info.exitCode == -1)
        GTEST_SKIP() << "lnkinfo (liblnk-utils) is not installed";
    ASSERT_EQ(info.exitCode, 0) << info.output;
    const std::string desktop = (d.dirs.home / "Desktop").string();
    for (const std::string& expected :
        std::vector<std::string> { "Local path\t\t\t: /opt/vespern/vespern", "Description\t\t\t: Lock\\switch user",
            "Working directory\t\t: " + desktop + "/\n", "Icon location\t\t\t: /opt/vespern/Vespern.ico" })
        EXPECT_NE(info.output.find(expected), std::string::npos) << expected << "\n" << info.output;
    EXPECT_EQ(info.output.find("Command line arguments"), std::string::npos) << info.output;
}

TEST(DesktopActionFiles, AMissingDesktopFolderIsCreatedOneLevel)
{
    Desktop d;
    d.put(w32::HkeyCurrentUser, ShellFoldersKeyPath, "desktop", w32::RegSz, (d.dirs.home / "New desk").string());
    d.tick(d.form2.reboot_scut, true);
    EXPECT_TRUE(std::filesystem::exists(d.dirs.home / "New desk" / "REBOOT.link"));
}

TEST(DesktopActionFiles, AnEmptyDesktopFolderIsRefused)
{
    Desktop d;
    d.put(w32::HkeyCurrentUser, ShellFoldersKeyPath, "desktop", w32::RegSz, "");
    d.tick(d.form2.reboot_scut, true);
    ASSERT_EQ(d.dialogs.shown.size(), 1u);
    EXPECT_TRUE(d.recorder.callsTo({ "IPersistFile::Save", "DeleteFileA" }).empty());
}

TEST(DesktopActionFiles, TheDryRunWritesAndDeletesNothing)
{
    TempUserDirs dirs;
    std::filesystem::create_directories(dirs.home / "Desktop");
    SystemStore real(dirs, SystemStore::MachineRoot::Writable, [](const std::string&) {});
    std::vector<std::string> printed;
    TracingPlatform dryRun(
        real.platform(), TracingPlatform::Mode::DryRun, [&](const std::string& line) { printed.push_back(line); });
    RecordingDialogs dialogs;
    TApplication application(dialogs);
    TForm2Model form2(dryRun, application);
    WriteText(dirs.home / "Desktop" / "REBOOT.link", "kept");
    application.Dispatch([&] { form2.SetChecked(form2.shutdown_scut, true); });
    application.Dispatch([&] { form2.SetChecked(form2.reboot_scut, true); });
    application.Dispatch([&] { form2.SetChecked(form2.reboot_scut, false); });
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(std::filesystem::exists(dirs.home / "Desktop" / "SHUTDOWN.link"));
    EXPECT_TRUE(std::filesystem::exists(dirs.home / "Desktop" / "REBOOT.link"));
    EXPECT_FALSE(std::filesystem::exists(dirs.registry));
    const std::string desktop = (dirs.home / "Desktop").string();
    EXPECT_NE(std::find_if(printed.begin(), printed.end(),
                  [&](const std::string& line) {
                      return line.starts_with("IPersistFile::Save")
                          && line.find(desktop + "\\SHUTDOWN.link") != std::string::npos;
                  }),
        printed.end());
}

} // namespace
} // namespace vespern::test
