#pragma once

// The system's own store for the tests that need a real one: the registry, the files and the
// shell link object of the system's backend, kept to the test. On Linux that is the registry
// files in the test's private home; on Windows the registry itself, where every value the tests
// touch is put back afterwards. support/linux and support/win32 implement it.

#include "platform/PowerPlatform.h"
#include "support/TempUserDirs.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vespern::test {

struct StoreFile {
    std::string root; // the root key it holds, such as "HKEY_CURRENT_USER"
    std::string text;
};

struct StoreValue {
    std::string root; // such as "HKEY_CURRENT_USER"
    std::string key; // below the root, without a leading backslash
    std::string name;
    std::uint32_t type = 0;
    std::string data;
};

class SystemStore {
public:
    using ErrorSink = std::function<void(const std::string& line)>;
    enum class MachineRoot { Writable, Unwritable };
    // Shared: another test process owns the store and puts it back; this one only uses it.
    enum class Ownership { Owned, Shared };

    SystemStore(
        const TempUserDirs& dirs, MachineRoot machineRoot, ErrorSink errors, Ownership ownership = Ownership::Owned);
    ~SystemStore();
    SystemStore(const SystemStore&) = delete;
    SystemStore& operator=(const SystemStore&) = delete;

    PowerPlatform& platform();

    // The files in which the store keeps its root keys, where they are files of its own (the
    // Linux store); none where the system keeps them itself.
    std::vector<StoreFile> files() const;
    // Every value under the keys the program writes, as a new reader of the store finds it.
    std::vector<StoreValue> values() const;
    // What that reader finds damaged: a file that does not parse or a line it has to skip.
    std::vector<std::string> problems() const;
    // Whether the session starts the program at log-on by what the store wrote, beyond the Run
    // value (the Linux store's autostart entry); the Run value alone on Windows.
    bool startsAtLogOn() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace vespern::test
