#pragma once

// What the tests need of the system they run on: private directories, the environment and other
// processes. support/linux and support/win32 implement it; the build picks one.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vespern::test {

// A new, empty directory under the system's temporary folder.
std::filesystem::path MakeTemporaryDirectory(const std::string& prefix);

std::optional<std::string> GetEnvironment(const std::string& name);
void SetEnvironment(const std::string& name, const std::string& value);
void UnsetEnvironment(const std::string& name);

// A program of the test build, found beside the running test program.
std::filesystem::path TestProgram(const std::string& name);

struct ProgramResult {
    int exitCode = -1; // -1: it could not be started or did not end by itself
    std::string output;
};

// Runs a program (searched on the PATH) to its end and collects its standard output.
ProgramResult RunProgram(const std::vector<std::string>& arguments);

// A program running beside the test, with the test's environment and standard handles. It is
// killed when the object goes while it still runs.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const;
    void kill();
    // The exit code once it ended; std::nullopt when it was killed.
    std::optional<int> wait();

private:
    struct Running;
    std::unique_ptr<Running> running_;
};

} // namespace vespern::test
