#include "support/HostSystem.h"
#include "support/OptionsHarness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <regex>
#include <thread>

namespace vespern::test {
namespace {

std::vector<std::string> Writer(const OptionsHarness& h, std::vector<std::string> request)
{
    request.insert(request.begin(), { TestProgram("vespern_store_writer").string(), h.dirs.root.string() });
    return request;
}

// What a reader can find holds one whole state: every file parses, and each value is one that
// some save wrote in full.
void expectWholeStates(const OptionsHarness& h, int round)
{
    for (const auto& problem : h.store.problems())
        ADD_FAILURE() << "round " << round << " " << problem;
    const std::regex program("/opt/program-[0-9]+x{300}");
    for (const auto& value : h.store.values()) {
        const std::string& text = value.data;
        if (value.type == w32::RegDword) {
            EXPECT_TRUE(text == std::string("\1\0\0\0", 4) || text == std::string(4, '\0')) << value.name;
        } else if (value.name == "program") {
            EXPECT_TRUE(std::regex_match(text.substr(0, text.size() - 1), program)) << round;
        } else if (value.name != "Vespern") {
            EXPECT_TRUE(text == std::string("1\0", 2) || text == std::string("0\0", 2)) << value.name;
        }
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
    const auto firstSave = h.dirs.root / "first-save";
    for (int rounds = 0; rounds < 15; ++rounds) {
        std::filesystem::remove(firstSave);
        ChildProcess child(Writer(h, { "save-forever" }));
        ASSERT_TRUE(child.started());
        while (!std::filesystem::exists(firstSave))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        child.kill();
        ASSERT_EQ(child.wait(), std::nullopt) << "the writer ended by itself";
        expectWholeStates(h, rounds);
        if (HasFailure())
            break;
    }
}

TEST(CrashSafety, TwoProgramsWritingAtOnceLoseNoValue)
{
    OptionsHarness h;
    constexpr int perWriter = 30;
    ChildProcess first(Writer(h, { "put", "first-", std::to_string(perWriter) }));
    ChildProcess second(Writer(h, { "put", "second-", std::to_string(perWriter) }));
    EXPECT_EQ(first.wait(), 0);
    EXPECT_EQ(second.wait(), 0);
    for (const char* prefix : { "first-", "second-" })
        for (int i = 0; i < perWriter; ++i)
            EXPECT_EQ(h.getSetting(prefix + std::to_string(i)), Sz("1")) << prefix << i;
    // The Linux store's files: no half-written copy is left behind.
    std::error_code none;
    for (const auto& entry : std::filesystem::directory_iterator(h.dirs.registry, none))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
}

} // namespace
} // namespace vespern::test
