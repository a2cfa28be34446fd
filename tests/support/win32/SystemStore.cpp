#include "support/SystemStore.h"

#include "platform/win32/Win32Platform.h"
#include "ui/win32/components/ComApartment.h"

#include <objbase.h>
#include <optional>
#include <windows.h>

namespace vespern::test {
namespace {

class Key {
public:
    Key() = default;
    Key(HKEY root, const std::string& path, REGSAM access = KEY_READ)
    {
        if (::RegOpenKeyExA(root, path.c_str(), 0, access, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~Key()
    {
        if (key_)
            ::RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }
    HKEY* out() { return &key_; }

private:
    HKEY key_ = nullptr;
};

struct RootKey {
    HKEY key;
    const char* name;
};
const RootKey classesRoot { HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT" };
const RootKey currentUser { HKEY_CURRENT_USER, "HKEY_CURRENT_USER" };
const RootKey localMachine { HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE" };

constexpr char settingsKey[] = "vespern";
constexpr char runKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char systemKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\system";
constexpr char explorerKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr char shellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char userShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char scratchKey[] = "Software\\Vespern tests";

// The keys whose values the program writes, where the tests read them back.
struct WrittenKey {
    RootKey root;
    const char* path;
};
const WrittenKey writtenKeys[]
    = { { classesRoot, "vespern\\setting" }, { currentUser, runKey }, { currentUser, systemKey },
          { currentUser, explorerKey }, { localMachine, systemKey }, { localMachine, explorerKey } };

// The values outside the program's own key that the tests change: each is put back as it was.
struct SharedValue {
    RootKey root;
    const char* path;
    const char* name;
};
const SharedValue sharedValues[] = { { currentUser, runKey, "Vespern" }, { currentUser, systemKey, "DisableTaskMgr" },
    { currentUser, explorerKey, "NoClose" }, { currentUser, explorerKey, "NoLogoff" },
    { currentUser, explorerKey, "StartMenuLogOff" }, { localMachine, systemKey, "DisableTaskMgr" },
    { localMachine, explorerKey, "NoClose" }, { localMachine, explorerKey, "NoLogoff" },
    { localMachine, explorerKey, "StartMenuLogOff" }, { currentUser, shellFoldersKey, "desktop" },
    { currentUser, userShellFoldersKey, "Desktop" } };

struct RawValue {
    DWORD type = 0;
    std::string data;
};

std::optional<RawValue> Read(const SharedValue& value)
{
    Key key(value.root.key, value.path);
    DWORD type = 0, size = 0;
    if (!key || ::RegQueryValueExA(key.get(), value.name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::string data(size, '\0');
    if (::RegQueryValueExA(key.get(), value.name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size)
        != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(size);
    return RawValue { type, data };
}

void Write(const SharedValue& value, const std::optional<RawValue>& content)
{
    Key key;
    if (::RegCreateKeyExA(value.root.key, value.path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr)
        != ERROR_SUCCESS)
        return;
    if (!content) {
        ::RegDeleteValueA(key.get(), value.name);
        return;
    }
    ::RegSetValueExA(key.get(), value.name, 0, content->type, reinterpret_cast<const BYTE*>(content->data.data()),
        static_cast<DWORD>(content->data.size()));
}

std::vector<StoreValue> ValuesOf(const WrittenKey& written)
{
    std::vector<StoreValue> out;
    Key key(written.root.key, written.path);
    for (DWORD index = 0; key; ++index) {
        char name[16384];
        DWORD nameLength = sizeof name, type = 0, size = 0;
        if (::RegEnumValueA(key.get(), index, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        std::string data(size, '\0');
        nameLength = sizeof name;
        ::RegEnumValueA(
            key.get(), index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        data.resize(size);
        out.push_back({ written.root.name, written.path, std::string(name, nameLength), type, data });
    }
    return out;
}

} // namespace

// The settings key starts empty and is removed afterwards: only the tests' own Wine prefix runs
// them, where no installed program keeps settings. The shared values are put back.
struct SystemStore::State {
    explicit State(Ownership ownership)
        : owned(ownership == Ownership::Owned)
    {
    }
    bool owned;
    std::vector<std::optional<RawValue>> saved;
    Key readOnlyMachine;
    // The program's thread joins a COM apartment before its shell link objects are made; a
    // test's thread does the same for the life of its store.
    ui::ComApartment apartment;
    Win32Platform platform { [](Window) { return std::uintptr_t { 0 }; }, {} };
};

SystemStore::SystemStore(const TempUserDirs& dirs, MachineRoot machineRoot, ErrorSink, Ownership ownership)
    : state_(std::make_unique<State>(ownership))
{
    if (!state_->owned)
        return;
    for (const auto& value : sharedValues) {
        state_->saved.push_back(Read(value));
        Write(value, std::nullopt);
    }
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, settingsKey);
    std::filesystem::create_directories(dirs.home / "Desktop");
    const std::string desktop = (dirs.home / "Desktop").string();
    // The shell writes "Shell Folders" anew from "User Shell Folders" whenever it looks a folder
    // up (saving a link does), so the desktop is the test's in both.
    Write({ currentUser, shellFoldersKey, "desktop" }, RawValue { REG_SZ, desktop + '\0' });
    Write({ currentUser, userShellFoldersKey, "Desktop" }, RawValue { REG_EXPAND_SZ, desktop + '\0' });
    if (machineRoot == MachineRoot::Unwritable) {
        // A volatile key in place of HKEY_LOCAL_MACHINE for this process: the system refuses
        // to create the lasting keys the program writes there.
        const std::string path = std::string(scratchKey) + "\\machine " + std::to_string(::GetCurrentProcessId());
        ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_READ, nullptr,
            state_->readOnlyMachine.out(), nullptr);
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, state_->readOnlyMachine.get());
    }
}

SystemStore::~SystemStore()
{
    if (!state_->owned)
        return;
    if (state_->readOnlyMachine) {
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, scratchKey);
    }
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, settingsKey);
    for (std::size_t i = 0; i < std::size(sharedValues); ++i)
        Write(sharedValues[i], state_->saved[i]);
}

PowerPlatform& SystemStore::platform()
{
    return state_->platform;
}

std::vector<StoreFile> SystemStore::files() const
{
    return {};
}

std::vector<StoreValue> SystemStore::values() const
{
    std::vector<StoreValue> out;
    for (const auto& key : writtenKeys) {
        auto values = ValuesOf(key);
        out.insert(out.end(), values.begin(), values.end());
    }
    return out;
}

std::vector<std::string> SystemStore::problems() const
{
    return {};
}

bool SystemStore::startsAtLogOn() const
{
    return Read({ currentUser, runKey, "Vespern" }).has_value();
}

} // namespace vespern::test
