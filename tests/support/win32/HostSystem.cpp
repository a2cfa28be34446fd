#include "support/HostSystem.h"

#include <cstdlib>
#include <random>
#include <stdexcept>
#include <windows.h>

namespace vespern::test {
namespace {

// One argument as the C run-time's command-line parser reads it back.
std::string Quoted(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + '"';
}

std::string CommandLine(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const auto& argument : arguments)
        line += (line.empty() ? "" : " ") + Quoted(argument);
    return line;
}

class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE handle)
        : handle_(handle)
    {
    }
    ~OwnedHandle() { reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE get() const { return handle_; }
    HANDLE* out() { return &handle_; }
    void reset()
    {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

// Starts the program with the given standard output (inherited when null).
bool Start(const std::vector<std::string>& arguments, HANDLE output, PROCESS_INFORMATION& process)
{
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    }
    std::string line = CommandLine(arguments);
    return ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
}

constexpr DWORD killedExitCode = 0xDEAD;

} // namespace

std::filesystem::path MakeTemporaryDirectory(const std::string& prefix)
{
    std::random_device seed;
    std::mt19937 random(seed() ^ ::GetCurrentProcessId());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto path = std::filesystem::temp_directory_path() / (prefix + std::to_string(random() % 1000000000));
        if (::CreateDirectoryA(path.string().c_str(), nullptr))
            return path;
    }
    throw std::runtime_error("cannot create a temporary directory");
}

std::optional<std::string> GetEnvironment(const std::string& name)
{
    const DWORD size = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (size == 0)
        return ::GetLastError() == ERROR_ENVVAR_NOT_FOUND ? std::nullopt : std::optional<std::string>("");
    std::string value(size, '\0');
    value.resize(::GetEnvironmentVariableA(name.c_str(), value.data(), size));
    return value;
}

// Both the system's block (GetEnvironmentVariableA, child processes) and the C run-time's copy
// (getenv) change; the run-time's copy cannot hold an empty value and drops it.
void SetEnvironment(const std::string& name, const std::string& value)
{
    _putenv_s(name.c_str(), value.c_str());
    ::SetEnvironmentVariableA(name.c_str(), value.c_str());
}

void UnsetEnvironment(const std::string& name)
{
    _putenv_s(name.c_str(), "");
    ::SetEnvironmentVariableA(name.c_str(), nullptr);
}

std::filesystem::path TestProgram(const std::string& name)
{
    char self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    return std::filesystem::path(std::string(self, length)).parent_path() / (name + ".exe");
}

ProgramResult RunProgram(const std::vector<std::string>& arguments)
{
    ProgramResult result;
    SECURITY_ATTRIBUTES inheritable { sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE };
    OwnedHandle readEnd, writeEnd;
    if (!::CreatePipe(readEnd.out(), writeEnd.out(), &inheritable, 0))
        return result;
    ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    PROCESS_INFORMATION process {};
    if (!Start(arguments, writeEnd.get(), process))
        return result;
    OwnedHandle processHandle(process.hProcess), threadHandle(process.hThread);
    writeEnd.reset();
    char buffer[4096];
    for (DWORD got = 0; ::ReadFile(readEnd.get(), buffer, sizeof buffer, &got, nullptr) && got > 0;)
        result.output.append(buffer, got);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (::GetExitCodeProcess(process.hProcess, &code))
        result.exitCode = static_cast<int>(code);
    return result;
}

struct ChildProcess::Running {
    OwnedHandle process;
    bool ended = false;
};

ChildProcess::ChildProcess(const std::vector<std::string>& arguments)
{
    PROCESS_INFORMATION process {};
    if (!Start(arguments, nullptr, process))
        return;
    ::CloseHandle(process.hThread);
    running_ = std::make_unique<Running>();
    *running_->process.out() = process.hProcess;
}

ChildProcess::~ChildProcess()
{
    if (running_ && !running_->ended) {
        kill();
        wait();
    }
}

bool ChildProcess::started() const
{
    return running_ != nullptr;
}

void ChildProcess::kill()
{
    if (running_ && !running_->ended)
        ::TerminateProcess(running_->process.get(), killedExitCode);
}

std::optional<int> ChildProcess::wait()
{
    if (!running_ || running_->ended)
        return std::nullopt;
    ::WaitForSingleObject(running_->process.get(), INFINITE);
    running_->ended = true;
    DWORD code = 0;
    if (!::GetExitCodeProcess(running_->process.get(), &code) || code == killedExitCode)
        return std::nullopt;
    return static_cast<int>(code);
}

} // namespace vespern::test
