#include "platform/linux/RegFile.h"
#include "support/OptionsHarness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <regex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vespern::test {
namespace {

[[noreturn]] void saveForever(OptionsHarness& h)
{
    for (int i = 0;; ++i) {
        h.recorder.calls.clear();
        h.form2.Edit1.Text = "/opt/program-" + std::to_string(i) + std::string(300, 'x');
        for (TCheckBox* box : { &h.form2.startup, &h.form2.empty, &h.form2.ontop, &h.form2.CheckBox1,
                 &h.form2.Hideshutdwnbtn, &h.form2.CheckBox4 })
            h.form2.SetChecked(*box, i % 2 == 0);
        h.form2.SetChecked(h.form2.CheckBox3, true);
        h.run([&] { h.form2.BitBtn1Click(); });
    }
}

// Every file a reader can find holds one whole state: it parses, and each value is one that
// some save wrote in full.
void expectWholeStates(const OptionsHarness& h, int round)
{
    const std::regex program("/opt/program-[0-9]+x{300}");
    for (const char* root : { "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE" }) {
        const auto file = h.dirs.registry / (std::string(root) + ".reg");
        if (!std::filesystem::exists(file))
            continue;
        const RegParseResult parsed = ParseRegFile(ReadText(file), root);
        ASSERT_TRUE(parsed.ok()) << "round " << round << " " << root << ": " << parsed.error;
        EXPECT_EQ(parsed.problemCount, 0u) << "round " << round << " " << root;
        for (const RegKey* key : parsed.hive.keys()) {
            for (const auto& value : key->values()) {
                const std::string text(value.data.begin(), value.data.end());
                if (value.type == w32::RegDword) {
                    EXPECT_TRUE(text == std::string("\1\0\0\0", 4) || text == std::string(4, '\0')) << value.name;
                } else if (value.name == "program") {
                    EXPECT_TRUE(std::regex_match(text.substr(0, text.size() - 1), program)) << round;
                } else if (value.name != "Vespern") {
                    EXPECT_TRUE(text == std::string("1\0", 2) || text == std::string("0\0", 2)) << value.name;
                }
            }
        }
    }
    const auto entry = h.dirs.config / "autostart" / "vespern.desktop";
    if (std::filesystem::exists(entry)) {
        const std::string text = ReadText(entry);
        EXPECT_TRUE(text.starts_with("[Desktop Entry]\n") && text.ends_with("X-GNOME-Autostart-enabled=true\n"))
            << text;
    }
}

TEST(CrashSafety, AKilledSaveLeavesEveryFileWhole)
{
    OptionsHarness h;
    // One whole save first: the kills then land anywhere within one.
    const auto start = std::chrono::steady_clock::now();
    h.form2.SetChecked(h.form2.CheckBox3, true);
    h.form2.Edit1.Text = "/opt/program-0" + std::string(300, 'x');
    ASSERT_TRUE(h.run([&] { h.form2.BitBtn1Click(); }));
    const auto saveTime
        = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
    std::mt19937 random(20261208);
    std::uniform_int_distribution<long> delay(0, saveTime * 3 / 2);
    for (int rounds = 0; rounds < 15; ++rounds) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            saveForever(h);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        expectWholeStates(h, rounds);
        if (HasFailure())
            break;
    }
}

TEST(CrashSafety, TwoProgramsWritingAtOnceLoseNoValue)
{
    OptionsHarness h;
    constexpr int perWriter = 30;
    std::vector<pid_t> writers;
    for (const char* prefix : { "first-", "second-" }) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0; i < perWriter; ++i)
                h.putSetting(prefix + std::to_string(i), "1");
            ::_exit(0);
        }
        writers.push_back(child);
    }
    for (const pid_t child : writers) {
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (const char* prefix : { "first-", "second-" })
        for (int i = 0; i < perWriter; ++i)
            EXPECT_EQ(h.getSetting(prefix + std::to_string(i)), Sz("1")) << prefix << i;
    for (const auto& entry : std::filesystem::directory_iterator(h.dirs.registry))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
}

} // namespace
} // namespace vespern::test
