#include "support/SystemStore.h"

#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/registry/RegFile.h"

namespace vespern::test {
namespace {

LinuxPaths PathsFor(const TempUserDirs& dirs, SystemStore::MachineRoot machineRoot)
{
    LinuxPaths paths;
    if (machineRoot == SystemStore::MachineRoot::Unwritable) {
        WriteText(dirs.root / "blocker", "a file where the directory would be");
        paths.registry.localMachineDir = dirs.root / "blocker" / "machine";
    }
    return paths;
}

} // namespace

struct SystemStore::State {
    const TempUserDirs& dirs;
    LinuxPlatform platform;
};

SystemStore::SystemStore(const TempUserDirs& dirs, MachineRoot machineRoot, ErrorSink errors, Ownership)
    : state_(new State { dirs, LinuxPlatform(PathsFor(dirs, machineRoot), std::move(errors)) })
{
}

SystemStore::~SystemStore() = default;

PowerPlatform& SystemStore::platform()
{
    return state_->platform;
}

std::vector<StoreFile> SystemStore::files() const
{
    std::vector<StoreFile> out;
    for (const char* root : { "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE" }) {
        const auto file = state_->dirs.registry / (std::string(root) + ".reg");
        if (std::filesystem::exists(file))
            out.push_back({ root, ReadText(file) });
    }
    return out;
}

std::vector<StoreValue> SystemStore::values() const
{
    std::vector<StoreValue> out;
    for (const auto& file : files()) {
        const RegParseResult parsed = ParseRegFile(file.text, file.root);
        for (const RegKey* key : parsed.hive.keys())
            for (const auto& value : key->values())
                out.push_back({ file.root, key->path(), value.name, value.type,
                    std::string(value.data.begin(), value.data.end()) });
    }
    return out;
}

std::vector<std::string> SystemStore::problems() const
{
    std::vector<std::string> out;
    for (const auto& file : files()) {
        const RegParseResult parsed = ParseRegFile(file.text, file.root);
        if (!parsed.ok())
            out.push_back(file.root + ": " + parsed.error);
        else if (parsed.problemCount != 0)
            out.push_back(file.root + ": " + std::to_string(parsed.problemCount) + " lines skipped");
    }
    const auto entry = state_->dirs.config / "autostart" / "vespern.desktop";
    if (std::filesystem::exists(entry)) {
        const std::string text = ReadText(entry);
        if (!text.starts_with("[Desktop Entry]\n") || !text.ends_with("X-GNOME-Autostart-enabled=true\n"))
            out.push_back("autostart entry: " + text);
    }
    return out;
}

bool SystemStore::startsAtLogOn() const
{
    return std::filesystem::exists(state_->dirs.config / "autostart" / "vespern.desktop");
}

} // namespace vespern::test
