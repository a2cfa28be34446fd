#include "RemoteShutdown.h"

#include "BoundedProcess.h"
#include "platform/Win32Constants.h"
#include "platform/linux/AtomicFile.h"
#include "platform/linux/UserDirectories.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vespern {

namespace {

constexpr std::uint32_t errorAccessDenied = w32::ErrorAccessDenied;
constexpr std::uint32_t errorBadNetpath = 53;
constexpr std::uint32_t errorInvalidParameter = 87;
constexpr std::uint32_t errorCallNotImplemented = w32::ErrorCallNotImplemented;
constexpr std::uint32_t errorInvalidName = 123;
constexpr std::uint32_t errorLogonFailure = 1326;
constexpr std::uint32_t errorTimeout = 1460;
constexpr std::uint32_t rpcServerUnavailable = w32::RpcSServerUnavailable;

// Given the computer, the SMB ports, the credentials file, the message, the time-out and the two
// flags as arguments, so that no text is ever interpreted on the way. It prints one line that
// starts with VESPERN-RESULT.
constexpr char clientScript[] = R"PY(
import os, sys
def report(*words):
    print("VESPERN-RESULT", *words, flush=True)
try:
    import samba
    from samba import credentials, param
    from samba.dcerpc import initshutdown, lsa
except ImportError as error:
    report("missing", error)
    sys.exit(3)
host, ports, auth, message, timeout, force, reboot = sys.argv[1:8]
lp = param.LoadParm()
try:
    lp.load_default()
except Exception:
    pass
if ports:
    lp.set("smb ports", ports)
creds = credentials.Credentials()
creds.guess(lp)
if auth:
    creds.parse_file(auth)
text = lsa.StringLarge()
raw = os.fsencode(message)
try:
    text.string = raw.decode("utf-8")
except UnicodeDecodeError:
    text.string = raw.decode("cp1252", errors="replace")
try:
    pipe = initshutdown.initshutdown("ncacn_np:" + host, lp, creds)
    pipe.Init(None, text, int(timeout), int(force), int(reboot))
except samba.NTSTATUSError as error:
    report("ntstatus", "0x%08X" % (error.args[0] & 0xFFFFFFFF), error.args[1])
    sys.exit(1)
except samba.WERRORError as error:
    report("werror", error.args[0], error.args[1])
    sys.exit(1)
except Exception as error:
    report("failed", error)
    sys.exit(1)
report("ok")
)PY";

bool validComputerName(const std::string& name)
{
    if (name.empty() || name.size() > 255)
        return false;
    for (const unsigned char c : name)
        if (!std::isalnum(c) && c != '.' && c != '-' && c != '_' && c != ':')
            return false;
    return true;
}

struct AddrInfoFree {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

class Socket {
public:
    explicit Socket(int fd)
        : fd_(fd)
    {
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

SocketAddress withPort(SocketAddress address, std::uint16_t port)
{
    if (address.storage.ss_family == AF_INET)
        reinterpret_cast<sockaddr_in*>(&address.storage)->sin_port = htons(port);
    else if (address.storage.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6*>(&address.storage)->sin6_port = htons(port);
    return address;
}

// 0 when connected, otherwise the errno of the attempt (ETIMEDOUT past the deadline).
int tryConnect(const SocketAddress& address, std::chrono::steady_clock::time_point deadline)
{
    Socket socket(::socket(address.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (socket.get() < 0)
        return errno;
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address.storage), address.length) == 0)
        return 0;
    if (errno != EINPROGRESS)
        return errno;
    for (;;) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                  .count();
        if (left <= 0)
            return ETIMEDOUT;
        pollfd watch { socket.get(), POLLOUT, 0 };
        const int ready = ::poll(&watch, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            continue;
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0)
            return errno;
        return error;
    }
}

// Empty when some address takes a connection on some port; otherwise why none did.
std::string reachSmb(const std::vector<SocketAddress>& addresses, const std::vector<std::uint16_t>& ports,
    std::chrono::milliseconds budget)
{
    const auto deadline = std::chrono::steady_clock::now() + budget;
    int lastError = ETIMEDOUT;
    for (const auto& address : addresses)
        for (const auto port : ports) {
            lastError = tryConnect(withPort(address, port), deadline);
            if (lastError == 0)
                return {};
        }
    std::string portList;
    for (const auto port : ports)
        portList += (portList.empty() ? "" : " and ") + std::to_string(port);
    return std::string(ports.size() == 1 ? "no SMB connection on port " : "no SMB connection on ports ") + portList
        + " (" + std::strerror(lastError) + ")";
}

std::string joined(const std::vector<std::uint16_t>& ports)
{
    std::string text;
    for (const auto port : ports)
        text += (text.empty() ? "" : " ") + std::to_string(port);
    return text;
}

std::uint32_t errorForStatus(std::uint32_t status)
{
    switch (status) {
    case 0xC000006D: // NT_STATUS_LOGON_FAILURE
    case 0xC000006E: // NT_STATUS_ACCOUNT_RESTRICTION
        return errorLogonFailure;
    case 0xC0000022: // NT_STATUS_ACCESS_DENIED
        return errorAccessDenied;
    case 0xC00000CC: // NT_STATUS_BAD_NETWORK_NAME
        return errorBadNetpath;
    default:
        return rpcServerUnavailable;
    }
}

struct ClientAnswer {
    std::uint32_t error = rpcServerUnavailable;
    std::string reason;
};

// Reads the helper's VESPERN-RESULT line.
std::optional<ClientAnswer> readAnswer(const std::string& output)
{
    std::istringstream lines(output);
    std::string line;
    const std::string tag = "VESPERN-RESULT ";
    while (std::getline(lines, line)) {
        if (line.rfind(tag, 0) != 0)
            continue;
        std::istringstream words(line.substr(tag.size()));
        std::string kind;
        std::string code;
        words >> kind;
        if (kind == "ok")
            return ClientAnswer { 0, {} };
        std::string rest;
        if (kind == "ntstatus" || kind == "werror")
            words >> code;
        std::getline(words >> std::ws, rest);
        if (kind == "missing")
            return ClientAnswer { errorCallNotImplemented,
                "Samba's Python bindings are missing (Debian package python3-samba): " + rest };
        if (kind == "ntstatus") {
            const auto status = static_cast<std::uint32_t>(std::strtoul(code.c_str(), nullptr, 16));
            return ClientAnswer { errorForStatus(status), rest + " (NTSTATUS " + code + ")" };
        }
        if (kind == "werror") // the code is a system error code already
            return ClientAnswer { static_cast<std::uint32_t>(std::strtoul(code.c_str(), nullptr, 10)),
                "the computer refused the request: " + rest + " (error " + code + ")" };
        return ClientAnswer { rpcServerUnavailable, rest };
    }
    return std::nullopt;
}

std::string lastLine(const std::string& output)
{
    std::istringstream lines(output);
    std::string line;
    std::string last;
    while (std::getline(lines, line))
        if (!line.empty())
            last = line;
    return last;
}

} // namespace

std::string NetworkComputerName(const std::string& machineName)
{
    const auto start = machineName.find_first_not_of('\\');
    return start == std::string::npos ? std::string() : machineName.substr(start);
}

ComputerLookup LookUpComputer(const std::string& computer)
{
    ComputerLookup lookup;
    if (!validComputerName(computer)) {
        lookup.error = errorInvalidName;
        lookup.reason = "\"" + computer + "\" is not a valid computer name";
        return lookup;
    }
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int status = ::getaddrinfo(computer.c_str(), nullptr, &hints, &found); status != 0) {
        lookup.error = errorBadNetpath;
        lookup.reason = "computer \"" + computer + "\" cannot be found (" + ::gai_strerror(status) + ")";
        return lookup;
    }
    const std::unique_ptr<addrinfo, AddrInfoFree> list(found);
    for (const addrinfo* entry = list.get(); entry; entry = entry->ai_next) {
        SocketAddress address;
        std::memcpy(&address.storage, entry->ai_addr, entry->ai_addrlen);
        address.length = entry->ai_addrlen;
        lookup.addresses.push_back(address);
    }
    return lookup;
}

std::filesystem::path RemoteAuthFilePath()
{
    const auto configHome = UserDirectories::FromEnvironment().configHome;
    return configHome.empty() ? std::filesystem::path {} : configHome / "vespern" / "remote.auth";
}

RemoteShutdown::RemoteShutdown(ErrorSink errors, RemoteShutdownSettings settings)
    : errors_(std::move(errors))
    , settings_(std::move(settings))
{
}

std::uint32_t RemoteShutdown::fail(const std::string& computer, std::uint32_t error, const std::string& reason)
{
    const std::string target = computer.empty() ? std::string() : " to \"" + computer + "\"";
    errors_("vespern: the remote shutdown request" + target + " failed: " + reason);
    return error;
}

std::optional<std::filesystem::path> RemoteShutdown::authFile(const std::string& computer, std::uint32_t& error)
{
    const auto path = RemoteAuthFilePath();
    if (path.empty())
        return path;
    struct stat info { };
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return std::filesystem::path();
        error = fail(computer, errorAccessDenied, "cannot read " + path.string() + ": " + std::strerror(errno));
        return std::nullopt;
    }
    // A password file is the user's alone: no one else may read or change it.
    std::ostringstream why;
    const unsigned mode = info.st_mode & 07777;
    if (!S_ISREG(info.st_mode))
        why << "it is " << FileKindName(info.st_mode) << ", not a regular file";
    else if (info.st_uid != ::geteuid())
        why << "it belongs to user " << info.st_uid << ", not to you (user " << ::geteuid() << ")";
    else if ((mode & (S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH)) != 0)
        why << "others may read or write it (mode 0" << std::oct << mode << "); make it 0600 or 0400";
    if (!why.str().empty()) {
        error = fail(computer, errorAccessDenied, "refusing " + path.string() + ": " + why.str());
        return std::nullopt;
    }
    return path;
}

std::optional<std::vector<std::uint16_t>> RemoteShutdown::ports(const std::string& computer, std::uint32_t& error)
{
    const char* chosen = std::getenv("VESPERN_SMB_PORT");
    if (!chosen || !*chosen)
        return std::vector<std::uint16_t> { 445, 139 }; // Samba's default order
    char* end = nullptr;
    errno = 0;
    const unsigned long port = std::strtoul(chosen, &end, 10);
    if (errno != 0 || *end != '\0' || !std::isdigit(static_cast<unsigned char>(chosen[0])) || port == 0
        || port > 65535) {
        error = fail(computer, errorInvalidParameter,
            "VESPERN_SMB_PORT=\"" + std::string(chosen) + "\" is not a port number (1 to 65535)");
        return std::nullopt;
    }
    return std::vector<std::uint16_t> { static_cast<std::uint16_t>(port) };
}

std::uint32_t RemoteShutdown::Send(const std::string& machineName, const std::string& message, std::uint32_t timeout,
    bool forceAppsClosed, bool rebootAfterShutdown)
{
    const std::string computer = NetworkComputerName(machineName);
    if (computer.empty())
        return fail(computer, errorCallNotImplemented,
            "no computer name given; on Linux this request only goes to another computer, never to this one");
    const ComputerLookup lookup = LookUpComputer(computer);
    if (lookup.error != 0)
        return fail(computer, lookup.error, lookup.reason);
    if (::access(settings_.python.c_str(), X_OK) != 0)
        return fail(computer, errorCallNotImplemented,
            settings_.python.string()
                + " is missing; the request needs it with Samba's Python bindings "
                  "(Debian packages python3 and python3-samba)");

    std::uint32_t error = 0;
    const auto credentials = authFile(computer, error);
    if (!credentials)
        return error;
    const auto smbPorts = ports(computer, error);
    if (!smbPorts)
        return error;

    if (const auto problem = reachSmb(lookup.addresses, *smbPorts, settings_.connectTime); !problem.empty())
        return fail(computer, errorBadNetpath, problem);

    const std::vector<std::string> argv { settings_.python.string(), "-I", "-c", clientScript, computer,
        joined(*smbPorts), credentials->string(), message, std::to_string(timeout), forceAppsClosed ? "1" : "0",
        rebootAfterShutdown ? "1" : "0" };
    const ProcessOutcome outcome = RunBoundedProcess(argv, ProcessLimits { settings_.runTime });

    switch (outcome.end) {
    case ProcessOutcome::End::NotStarted:
        return fail(computer, errorCallNotImplemented,
            "cannot start " + settings_.python.string() + ": " + std::strerror(outcome.spawnError));
    case ProcessOutcome::End::TimedOut:
        return fail(computer, errorTimeout,
            "no answer within " + std::to_string(settings_.runTime.count() / 1000) + " s; the request was abandoned");
    case ProcessOutcome::End::Signalled:
        return fail(
            computer, rpcServerUnavailable, "the Samba client was ended by signal " + std::to_string(outcome.exitCode));
    case ProcessOutcome::End::Exited:
        break;
    }
    if (const auto answer = readAnswer(outcome.output)) {
        if (answer->error == 0 && outcome.exitCode == 0)
            return 0;
        if (answer->error != 0)
            return fail(computer, answer->error, answer->reason);
    }
    return fail(computer, rpcServerUnavailable,
        "the Samba client ended with status " + std::to_string(outcome.exitCode)
            + " without an answer: " + lastLine(outcome.output));
}

} // namespace vespern
