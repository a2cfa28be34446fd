// What the registry files cost: the option store's load (open the key, read the eight values as
// a caller does, size first) from a file of 20,000 keys and from one key of 20,000 values,
// first from a cold start and then with the file already read, and one save into such a file.

#include "platform/Win32Constants.h"
#include "platform/linux/AtomicFile.h"
#include "platform/linux/registry/RegistryStore.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace w32 = vespern::w32;

constexpr std::array<const char*, 8> optionNames = { "start up", "empty recycle bin", "stay on top", "sistemkey",
    "run program", "program", "hideshutdown", "hidelogoff" };

std::string optionsSection(const std::string& extraValues)
{
    std::string text = "[HKEY_CLASSES_ROOT\\vespern\\setting]\n";
    for (const char* name : optionNames)
        text += "\"" + std::string(name) + "\"=\"0\"\n";
    return text + extraValues + "\n";
}

// The options among 20,000 other keys, as file associations fill this root on Windows.
std::string manyKeys()
{
    std::string text = "Windows Registry Editor Version 5.00\n\n";
    for (int i = 0; i < 20000; ++i)
        text += "[HKEY_CLASSES_ROOT\\.ext" + std::to_string(i) + "]\n@=\"type" + std::to_string(i) + "\"\n\n";
    return text + optionsSection({});
}

// The options key itself holding 20,000 more values.
std::string manyValues()
{
    std::string extra;
    for (int i = 0; i < 20000; ++i)
        extra += "\"value " + std::to_string(i) + "\"=\"" + std::to_string(i) + "\"\n";
    return "Windows Registry Editor Version 5.00\n\n" + optionsSection(extra);
}

std::string fewKeys()
{
    return "Windows Registry Editor Version 5.00\n\n" + optionsSection({});
}

class RegistryDirectory {
public:
    explicit RegistryDirectory(const std::string& content)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vespern-bench-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
        vespern::WriteFileAtomically(dir_ / "HKEY_CLASSES_ROOT.reg", content);
    }
    ~RegistryDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    RegistryDirectory(const RegistryDirectory&) = delete;
    RegistryDirectory& operator=(const RegistryDirectory&) = delete;

    vespern::RegistryStore registry() const
    {
        vespern::RegistryPaths paths;
        paths.classesRootDir = paths.currentUserDir = paths.localMachineDir = paths.configHome = paths.home = dir_;
        return vespern::RegistryStore(paths, [](const std::string&) {});
    }

private:
    std::filesystem::path dir_;
};

// The option store's load: open, each value's size and then its data, close.
void loadOptions(benchmark::State& state, vespern::RegistryStore& registry)
{
    vespern::HKey key = 0;
    if (registry.OpenKey(w32::HkeyClassesRoot, "\\vespern\\setting", key) != 0) {
        state.SkipWithError("the options key is missing");
        return;
    }
    std::array<std::uint8_t, 64> data {};
    for (const char* name : optionNames) {
        std::uint32_t type = 0, size = 0;
        registry.QueryValue(key, name, type, {}, size);
        registry.QueryValue(key, name, type, data, size);
    }
    registry.CloseKey(key);
    benchmark::DoNotOptimize(data.data());
}

std::string contentOf(std::int64_t kind)
{
    return kind == 0 ? fewKeys() : kind == 1 ? manyKeys() : manyValues();
}

const char* labelOf(std::int64_t kind)
{
    return kind == 0 ? "one key of 8 values" : kind == 1 ? "20,000 keys" : "one key of 20,000 values";
}

// A start: nothing read yet.
void LoadOptionsCold(benchmark::State& state)
{
    const RegistryDirectory dir(contentOf(state.range(0)));
    for (auto _ : state) {
        vespern::RegistryStore registry = dir.registry();
        loadOptions(state, registry);
    }
    state.SetLabel(labelOf(state.range(0)));
}
BENCHMARK(LoadOptionsCold)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Every later show of the main window: the file is unchanged.
void LoadOptionsWarm(benchmark::State& state)
{
    const RegistryDirectory dir(contentOf(state.range(0)));
    vespern::RegistryStore registry = dir.registry();
    loadOptions(state, registry);
    for (auto _ : state)
        loadOptions(state, registry);
    state.SetLabel(labelOf(state.range(0)));
}
BENCHMARK(LoadOptionsWarm)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// One value saved: the whole file written anew, flushed and renamed.
void SaveOneValue(benchmark::State& state)
{
    const RegistryDirectory dir(contentOf(state.range(0)));
    vespern::RegistryStore registry = dir.registry();
    vespern::HKey key = 0;
    std::uint32_t disposition = 0;
    registry.CreateKey(w32::HkeyClassesRoot, "\\vespern\\setting", key, disposition);
    const std::array<std::uint8_t, 2> one = { '1', 0 };
    for (auto _ : state)
        if (registry.SetValue(key, "start up", w32::RegSz, one) != 0)
            state.SkipWithError("the save failed");
    state.SetLabel(labelOf(state.range(0)));
}
BENCHMARK(SaveOneValue)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
