#include "core/TForm1Model.h"
#include "support/OptionsHarness.h"
#include "support/RecordingTrayShell.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vespern::test {
namespace {

constexpr char runKey[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char systemKey[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\system";
constexpr char explorerKey[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr char savedNotice[] = "Successfully saved, Some feature activated after restart";

struct LoadCase {
    std::string what;
    std::vector<std::pair<std::string, std::string>> stored;
    bool runProgram;
    bool groupEnabled;
    std::string path;
};

TEST(SettingsStoreLoad, SetsTheDialogFromTheStore)
{
    const std::vector<LoadCase> cases = {
        { "no key at all", {}, false, false, "" },
        { "run program without a path", { { "run program", "1" } }, true, true, "" },
        { "a path with run program off", { { "run program", "0" }, { "program", "/usr/bin/prog" } }, false, false,
            "/usr/bin/prog" },
        { "only exactly 1 is on", { { "run program", "1 " }, { "program", "/p" } }, false, false, "/p" },
    };
    for (const auto& c : cases) {
        OptionsHarness h;
        for (const auto& [name, text] : c.stored)
            h.putSetting(name, text);
        EXPECT_TRUE(h.run([&] { h.form2.LoadSettings(); })) << c.what;
        EXPECT_EQ(h.form2.CheckBox3.Checked, c.runProgram) << c.what;
        EXPECT_EQ(h.form2.GroupBox1.Enabled, c.groupEnabled) << c.what;
        EXPECT_EQ(h.form2.Edit1.Text, c.path) << c.what;
        for (const TCheckBox* box : { &h.form2.startup, &h.form2.empty, &h.form2.ontop, &h.form2.CheckBox1,
                 &h.form2.Hideshutdwnbtn, &h.form2.CheckBox4 })
            EXPECT_FALSE(box->Checked) << c.what << ": " << box->Caption;
    }
}

TEST(SettingsStoreLoad, FlagsAreOnOnlyForTheText1)
{
    const std::vector<std::pair<std::string, bool>> cases
        = { { "1", true }, { "0", false }, { "", false }, { "01", false }, { "1 ", false }, { "yes", false } };
    for (const auto& [text, on] : cases) {
        OptionsHarness h;
        h.putSetting("HIDELOGOFF", text); // value names compare without regard to case
        h.run([&] { h.form2.LoadSettings(); });
        EXPECT_EQ(h.form2.CheckBox4.Checked, on) << '"' << text << '"';
    }
}

TEST(SettingsStoreLoad, ANumberWhereTextBelongsStopsTheLoadThere)
{
    OptionsHarness h;
    h.putSetting("start up", "1");
    h.put(w32::HkeyClassesRoot, "\\vespern\\setting", "empty recycle bin", w32::RegDword, std::string("\1\0\0\0", 4));
    h.putSetting("stay on top", "1");
    h.putSetting("run program", "1");
    EXPECT_FALSE(h.run([&] { h.form2.LoadSettings(); }));
    const std::vector<ShownMessage> expected
        = { { "Vespern", "Invalid data type for 'empty recycle bin'", MessageIcon::Error } };
    EXPECT_EQ(h.dialogs.shown, expected);
    EXPECT_TRUE(h.form2.startup.Checked);
    EXPECT_FALSE(h.form2.ontop.Checked);
    EXPECT_FALSE(h.form2.CheckBox3.Checked);
    EXPECT_TRUE(h.recorder.callsTo({ "RegQueryValueExA" }).back().find("empty recycle bin") != std::string::npos);
}

void tickAll(TForm2Model& form2, bool on)
{
    for (TCheckBox* box : { &form2.startup, &form2.empty, &form2.ontop, &form2.CheckBox1, &form2.Hideshutdwnbtn,
             &form2.CheckBox4, &form2.CheckBox3 })
        form2.SetChecked(*box, on);
}

TEST(SettingsSave, WritesEverythingInOrderUnderBothRoots)
{
    OptionsHarness h;
    h.form2.Visible = true;
    tickAll(h.form2, true);
    h.form2.Edit1.Text = "/usr/bin/backup";
    ASSERT_TRUE(h.run([&] { h.form2.BitBtn1Click(); }));

    EXPECT_EQ(h.get(w32::HkeyCurrentUser, runKey, "Vespern"), Sz("/opt/vespern/vespern"));
    for (const HKey root : { w32::HkeyCurrentUser, w32::HkeyLocalMachine }) {
        EXPECT_EQ(h.get(root, systemKey, "DisableTaskMgr"), Dword(1));
        EXPECT_EQ(h.get(root, explorerKey, "NoClose"), Dword(1));
        EXPECT_EQ(h.get(root, explorerKey, "NoLogoff"), Dword(1));
        EXPECT_EQ(h.get(root, explorerKey, "StartMenuLogOff"), Dword(1));
    }
    for (const char* name :
        { "start up", "empty recycle bin", "stay on top", "sistemkey", "hideshutdown", "hidelogoff", "run program" })
        EXPECT_EQ(h.getSetting(name), Sz("1")) << name;
    EXPECT_EQ(h.getSetting("program"), Sz("/usr/bin/backup"));

    std::vector<std::string> written;
    for (const auto& line : h.recorder.callsTo({ "RegSetValueExA" }))
        written.push_back(
            line.substr(line.find("lpValueName=") + 12, line.find(" dwType") - line.find("lpValueName=") - 12));
    const std::vector<std::string> order = { "\"Vespern\"", "\"DisableTaskMgr\"", "\"DisableTaskMgr\"", "\"NoClose\"",
        "\"NoClose\"", "\"NoLogoff\"", "\"StartMenuLogOff\"", "\"NoLogoff\"", "\"StartMenuLogOff\"", "\"start up\"",
        "\"empty recycle bin\"", "\"stay on top\"", "\"sistemkey\"", "\"hideshutdown\"", "\"hidelogoff\"",
        "\"run program\"", "\"program\"" };
    EXPECT_EQ(written, order);
    EXPECT_EQ(h.dialogs.shown, (std::vector<ShownMessage> { { "Vespern", savedNotice, MessageIcon::None } }));
    EXPECT_FALSE(h.form2.Visible);
    EXPECT_TRUE(h.form2.MainFormStayOnTop);
    EXPECT_TRUE(h.store.startsAtLogOn());
}

TEST(SettingsSave, UntickedWritesZerosAndForgetsTheProgramPath)
{
    OptionsHarness h;
    h.form2.SetChecked(h.form2.startup, true);
    h.run([&] { h.form2.BitBtn1Click(); });
    ASSERT_TRUE(h.store.startsAtLogOn());

    tickAll(h.form2, false);
    h.form2.Edit1.Text = "/usr/bin/backup";
    ASSERT_TRUE(h.run([&] { h.form2.BitBtn1Click(); }));
    EXPECT_EQ(h.get(w32::HkeyCurrentUser, runKey, "Vespern"), std::nullopt);
    EXPECT_FALSE(h.store.startsAtLogOn());
    for (const HKey root : { w32::HkeyCurrentUser, w32::HkeyLocalMachine }) {
        EXPECT_EQ(h.get(root, systemKey, "DisableTaskMgr"), Dword(0));
        EXPECT_EQ(h.get(root, explorerKey, "NoClose"), Dword(0));
        EXPECT_EQ(h.get(root, explorerKey, "NoLogoff"), Dword(0));
        EXPECT_EQ(h.get(root, explorerKey, "startmenulogoff"), Dword(0));
    }
    EXPECT_EQ(h.getSetting("program"), Sz(""));
    EXPECT_EQ(h.form2.Edit1.Text, "/usr/bin/backup");
    EXPECT_FALSE(h.form2.MainFormStayOnTop);
}

TEST(SettingsSave, TheTwoSpellingsOfTheStartMenuValueAreOneValue)
{
    OptionsHarness h;
    h.form2.SetChecked(h.form2.CheckBox4, true);
    h.run([&] { h.form2.BitBtn1Click(); });
    h.form2.SetChecked(h.form2.CheckBox4, false);
    h.run([&] { h.form2.BitBtn1Click(); });
    const auto lower = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
        return text;
    };
    for (const std::string root : { "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE" }) {
        for (const std::string name : { "startmenulogoff", "nologoff" }) {
            std::vector<std::string> found;
            for (const auto& value : h.store.values())
                if (value.root == root && lower(value.name) == name)
                    found.push_back(value.data);
            EXPECT_EQ(found, std::vector<std::string> { std::string(4, '\0') }) << root << " " << name;
        }
    }
    // The Linux store keeps each value once in its file, under one spelling.
    for (const auto& file : h.store.files()) {
        if (file.root == "HKEY_CLASSES_ROOT")
            continue;
        const std::string text = lower(file.text);
        for (const std::string name : { "\"startmenulogoff\"=dword:00000000", "\"nologoff\"=dword:00000000" }) {
            const auto first = text.find(name);
            EXPECT_NE(first, std::string::npos) << file.root << name;
            EXPECT_EQ(text.find(name.substr(0, name.find('=')), first + 1), std::string::npos) << file.root << name;
        }
    }
}

TEST(SettingsSave, StopsAtTheFirstFailedWriteAndKeepsTheDialogOpen)
{
    OptionsHarness h(true);
    h.putSetting("start up", "0");
    h.form2.Visible = true;
    tickAll(h.form2, true);
    EXPECT_FALSE(h.run([&] { h.form2.BitBtn1Click(); }));
    EXPECT_EQ(h.dialogs.shown,
        (std::vector<ShownMessage> { { "Vespern", "Failed to set data for 'DisableTaskMgr'", MessageIcon::Error } }));
    EXPECT_TRUE(h.form2.Visible);
    EXPECT_EQ(h.get(w32::HkeyCurrentUser, runKey, "Vespern"), Sz("/opt/vespern/vespern"));
    EXPECT_TRUE(h.form2.MainFormStayOnTop);
    EXPECT_EQ(h.get(w32::HkeyCurrentUser, systemKey, "DisableTaskMgr"), Dword(1));
    EXPECT_EQ(h.get(w32::HkeyCurrentUser, explorerKey, "NoClose"), std::nullopt);
    EXPECT_EQ(h.getSetting("start up"), Sz("0"));
    EXPECT_EQ(h.getSetting("program"), std::nullopt);
}

struct Program {
    explicit Program(std::vector<std::string> arguments)
        : form1(options.recorder.platform(), options.application, options.form2, std::move(arguments))
    {
        form1.TrayIcon1.Attach(&tray);
        options.putSetting("run program", "1");
        options.putSetting("program", "/usr/bin/backup");
        options.putSetting("empty recycle bin", "1");
    }
    std::vector<std::string> steps() const
    {
        std::vector<std::string> out;
        for (const auto& line : options.recorder.callsTo({ "ShellExecuteA", "SHEmptyRecycleBinA", "ExitWindowsEx" }))
            out.push_back(line.substr(0, line.find(' ')));
        return out;
    }
    OptionsHarness options;
    RecordingTrayShell tray;
    TForm1Model form1;
};

TEST(StartUpOptions, SavedPreActionOptionsApplyBeforeTheFirstShow)
{
    const std::vector<std::string> expected = { "ShellExecuteA", "SHEmptyRecycleBinA", "ExitWindowsEx" };
    {
        Program tray({});
        tray.options.run([&] { tray.form1.FormCreate(); });
        tray.options.run([&] { tray.form1.Shutdown1Click(); });
        EXPECT_EQ(tray.steps(), expected) << "tray menu before any show";
        EXPECT_EQ(tray.form1.TrayIcon1.IconVisible(), true);
    }
    {
        Program file({ "/home/someone/Desktop/SHUTDOWN.link" });
        file.options.run([&] { file.form1.FormCreate(); });
        file.options.run([&] { file.form1.FormShow(); });
        EXPECT_EQ(file.steps(), expected) << "desktop action file";
        EXPECT_TRUE(file.options.application.Terminated());
    }
}

TEST(StartUpOptions, AStoreThatCannotBeReadStillStartsHiddenWithTheBalloon)
{
    Program program({});
    program.options.put(w32::HkeyClassesRoot, "\\vespern\\setting", "start up", w32::RegDword, std::string(4, '\0'));
    EXPECT_FALSE(program.options.run([&] { program.form1.FormCreate(); }));
    EXPECT_FALSE(program.options.application.ShowMainForm);
    EXPECT_EQ(program.tray.balloons.size(), 1u);
}

} // namespace
} // namespace vespern::test
