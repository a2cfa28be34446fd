#pragma once

// The options dialog over the system's real store kept to the test (the registry files of a
// private home on Linux); every other operation is scripted and recorded, so no action reaches
// the system.

#include "core/TForm2Model.h"
#include "platform/Win32Constants.h"
#include "support/RecordingDialogs.h"
#include "support/ScriptedPlatform.h"
#include "support/SystemStore.h"
#include "support/TempUserDirs.h"

#include <cstring>
#include <optional>
#include <string>

namespace vespern::test {

struct StoredValue {
    std::uint32_t type = 0;
    std::string text; // without its terminating zero for text types
    bool operator==(const StoredValue&) const = default;
};

class OptionsHarness {
public:
    explicit OptionsHarness(bool machineRootUnwritable = false)
        : store(dirs, machineRootUnwritable ? SystemStore::MachineRoot::Unwritable : SystemStore::MachineRoot::Writable,
            [this](const std::string& line) { storageErrors.push_back(line); })
    {
        recorder.script().storage = &storage;
        application.Title = "Vespern";
    }
    // Over the home and the store that another test process made and puts back.
    explicit OptionsHarness(const std::filesystem::path& sharedRoot)
        : dirs(sharedRoot)
        , store(
              dirs, SystemStore::MachineRoot::Writable,
              [this](const std::string& line) { storageErrors.push_back(line); }, SystemStore::Ownership::Shared)
    {
        recorder.script().storage = &storage;
        application.Title = "Vespern";
    }

    void put(HKey root, const std::string& path, const std::string& name, std::uint32_t type, const std::string& data)
    {
        HKey key = 0;
        std::uint32_t disposition = 0;
        storage.RegCreateKeyExA(root, SubKey(path), 0, w32::KeyAllAccess, key, disposition);
        std::vector<std::uint8_t> bytes(data.begin(), data.end());
        if (type == w32::RegSz || type == w32::RegExpandSz)
            bytes.push_back(0);
        storage.RegSetValueExA(key, name, type, bytes);
        storage.RegCloseKey(key);
    }
    void putSetting(const std::string& name, const std::string& text)
    {
        put(w32::HkeyClassesRoot, "\\vespern\\setting", name, w32::RegSz, text);
    }

    std::optional<StoredValue> get(HKey root, const std::string& path, const std::string& name)
    {
        HKey key = 0;
        if (storage.RegOpenKeyExA(root, SubKey(path), 0, w32::KeyAllAccess, key) != 0)
            return std::nullopt;
        std::uint32_t type = 0, size = 0;
        std::optional<StoredValue> out;
        if (storage.RegQueryValueExA(key, name, type, {}, size) == 0) {
            std::vector<std::uint8_t> data(size);
            storage.RegQueryValueExA(key, name, type, data, size);
            StoredValue value { type, std::string(data.begin(), data.end()) };
            if (type == w32::RegSz && !value.text.empty())
                value.text.pop_back();
            if (type == w32::RegDword && data.size() == 4)
                value.text = std::to_string(data[0] | data[1] << 8);
            out = value;
        }
        storage.RegCloseKey(key);
        return out;
    }
    std::optional<StoredValue> getSetting(const std::string& name)
    {
        return get(w32::HkeyClassesRoot, "\\vespern\\setting", name);
    }

    // The paths are written as the program's registry object takes them, from the root with a
    // leading backslash, which the system's registry calls do not take.
    static std::string SubKey(const std::string& path) { return path.starts_with('\\') ? path.substr(1) : path; }

    bool run(const std::function<void()>& handler) { return application.Dispatch(handler); }

    TempUserDirs dirs;
    std::vector<std::string> storageErrors;
    SystemStore store;
    PowerPlatform& storage = store.platform();
    RecordingPlatform recorder;
    RecordingDialogs dialogs;
    TApplication application { dialogs };
    TForm2Model form2 { recorder.platform(), application };
};

inline StoredValue Sz(const std::string& text)
{
    return { w32::RegSz, text };
}

inline StoredValue Dword(int number)
{
    return { w32::RegDword, std::to_string(number) };
}

} // namespace vespern::test
