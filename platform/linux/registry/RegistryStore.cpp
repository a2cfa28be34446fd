#include "RegistryStore.h"

#include "platform/Win32Constants.h"
#include "platform/linux/AtomicFile.h"
#include "platform/linux/UserDirectories.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace vespern {

namespace {

constexpr std::int32_t errorInvalidHandle = 6;
constexpr std::int32_t errorInvalidParameter = 87;
constexpr std::int32_t errorFileCorrupt = 1392;

constexpr char runKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char autostartValue[] = "Vespern";
constexpr char shellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char desktopValue[] = "desktop";
constexpr char systemPoliciesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\system";
constexpr char explorerPoliciesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

std::int32_t code(std::uint32_t error)
{
    return static_cast<std::int32_t>(error);
}

const char* rootName(HKey root)
{
    switch (root) {
    case w32::HkeyClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case w32::HkeyCurrentUser:
        return "HKEY_CURRENT_USER";
    case w32::HkeyLocalMachine:
        return "HKEY_LOCAL_MACHINE";
    default:
        return nullptr;
    }
}

std::filesystem::path environmentPath(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? std::filesystem::path(value) : std::filesystem::path {};
}

// Whether this process may create or replace a file in the directory (or create the directory).
bool mayWriteIn(std::filesystem::path directory)
{
    std::error_code error;
    while (!directory.empty() && !std::filesystem::exists(directory, error)) {
        if (directory == directory.parent_path())
            return false;
        directory = directory.parent_path();
    }
    return !directory.empty() && ::faccessat(AT_FDCWD, directory.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::filesystem::path rootFile(const std::filesystem::path& dir, HKey root)
{
    const char* name = rootName(root);
    return dir / (std::string(name ? name : "UNKNOWN") + ".reg");
}

// A line break or zero byte would not survive the text file.
bool storable(std::string_view text)
{
    return text.find_first_of(std::string_view("\n\r\0", 3)) == std::string_view::npos;
}

std::string textOf(std::span<const std::uint8_t> data)
{
    std::string text(data.begin(), data.end());
    // NOLINTNEXTLINE(readability-redundant-string-cstr): cut at the first zero byte, as the system does
    return std::string(text.c_str());
}

} // namespace

// The Exec value of a desktop entry: quoted when needed, with the key file's own escapes.
std::string DesktopExec(const std::string& program)
{
    constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string argument;
    if (program.find_first_of(reserved) == std::string::npos) {
        argument = program;
    } else {
        argument = "\"";
        for (const char c : program) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                argument += '\\';
            argument += c;
        }
        argument += '"';
    }
    std::string value;
    for (const char c : argument) {
        if (c == '\\')
            value += "\\\\";
        else if (c == '\n')
            value += "\\n";
        else if (c == '\r') // a line's last carriage return would be read as part of its end
            value += "\\r";
        else if (c == '\t')
            value += "\\t";
        else if (c == '%')
            value += "%%";
        else
            value += c;
    }
    return value;
}

RegistryPaths RegistryPaths::FromEnvironment()
{
    const auto dirs = UserDirectories::FromEnvironment();
    RegistryPaths paths;
    paths.home = dirs.home;
    paths.configHome = dirs.configHome;
    if (const auto single = environmentPath("VESPERN_REGISTRY_DIR"); !single.empty()) {
        paths.classesRootDir = paths.currentUserDir = paths.localMachineDir = single;
        return paths;
    }
    paths.classesRootDir = paths.currentUserDir = paths.localMachineUserDir = paths.configHome / "vespern";
    paths.localMachineDir = "/etc/vespern";
    return paths;
}

RegistryStore::RegistryStore(RegistryPaths paths, ErrorSink errors, UserNoticeSink notices)
    : paths_(std::move(paths))
    , errors_(std::move(errors))
    , notices_(notices ? std::move(notices) : [](const UserNotice&) {})
{
    for (const HKey root : { w32::HkeyClassesRoot, w32::HkeyCurrentUser, w32::HkeyLocalMachine })
        files_.try_emplace(root, FileOf(root), rootName(root));
    if (const auto below = underlayFileOf(w32::HkeyLocalMachine); !below.empty())
        underlay_.emplace(below, rootName(w32::HkeyLocalMachine));
}

std::filesystem::path RegistryStore::FileOf(HKey root) const
{
    if (root == w32::HkeyClassesRoot)
        return rootFile(paths_.classesRootDir, root);
    if (root == w32::HkeyCurrentUser)
        return rootFile(paths_.currentUserDir, root);
    // An ordinary user keeps the machine-wide values in a file of their own.
    if (paths_.localMachineUserDir.empty() || mayWriteIn(paths_.localMachineDir))
        return rootFile(paths_.localMachineDir, root);
    return rootFile(paths_.localMachineUserDir, root);
}

std::filesystem::path RegistryStore::underlayFileOf(HKey root) const
{
    if (root != w32::HkeyLocalMachine || paths_.localMachineUserDir.empty())
        return {};
    const auto written = FileOf(root);
    const auto admin = rootFile(paths_.localMachineDir, root);
    return written == admin ? rootFile(paths_.localMachineUserDir, root) : admin;
}

std::filesystem::path RegistryStore::AutostartFile() const
{
    return paths_.configHome / "autostart" / "vespern.desktop";
}

std::string RegistryStore::XdgDesktopDir() const
{
    std::string fallback = (paths_.home / "Desktop").string();
    const FileRead userDirs = ReadRegularFile(paths_.configHome / "user-dirs.dirs", 1u << 20);
    if (userDirs.status != FileRead::Status::Read)
        return fallback;
    std::string_view rest = userDirs.content;
    constexpr std::string_view prefix = "XDG_DESKTOP_DIR=\"";
    while (!rest.empty()) {
        const auto end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (!line.starts_with(prefix) || line.size() < prefix.size() + 1 || line.back() != '"')
            continue;
        std::string value(line.substr(prefix.size(), line.size() - prefix.size() - 1));
        if (value.starts_with("$HOME"))
            value = paths_.home.string() + value.substr(5);
        else if (!value.starts_with('/'))
            continue;
        while (value.size() > 1 && value.back() == '/')
            value.pop_back();
        return value;
    }
    return fallback;
}

bool RegistryStore::resolve(HKey key, Location& location) const
{
    if (rootName(key)) {
        location = { key, {} };
        return true;
    }
    const auto it = open_.find(key);
    if (it == open_.end())
        return false;
    location = it->second;
    return true;
}

RegistryFile& RegistryStore::current(HKey root)
{
    RegistryFile& file = files_.at(root);
    if (file.Refresh()) {
        asideFailureTold_.erase(root);
        tellRead(file);
    }
    return file;
}

void RegistryStore::tell(NoticeKind kind, const std::string& text)
{
    errors_("vespern: " + text);
    notices_({ kind, text });
}

void RegistryStore::tellRefused(const std::filesystem::path& file, const std::string& refusal)
{
    tell(NoticeKind::Error, RefusedWriteText(file, refusal));
}

std::int32_t RegistryStore::save(RegistryFile& file)
{
    const int failure = file.Save();
    if (failure != 0 && !file.refusal().empty())
        tellRefused(file.path(), file.refusal());
    return Win32ErrorFromErrno(failure);
}

void RegistryStore::tellRead(const RegistryFile& file, bool written)
{
    const std::string name = file.path().string();
    switch (file.state()) {
    case RegistryFile::State::Absent:
        return;
    case RegistryFile::State::Unparsable:
        return tell(NoticeKind::Error,
            name + " cannot be read (" + file.reason() + "); its settings count as missing"
                + (written ? " until the next change keeps the file aside" : ""));
    case RegistryFile::State::Refused:
        return tell(NoticeKind::Error,
            name + " cannot be used (" + file.reason() + "); its settings count as missing and it is not written");
    case RegistryFile::State::Read:
        break;
    }
    const RegParseResult& parsed = file.parsed();
    if (parsed.problemCount == 0)
        return;
    // Standard error gets the first lines one by one, the window one notice.
    constexpr std::size_t linesTold = 5;
    for (std::size_t i = 0; i < std::min(linesTold, parsed.problems.size()); ++i)
        errors_(
            "vespern: " + name + " line " + std::to_string(parsed.problems[i].line) + ": " + parsed.problems[i].reason);
    if (parsed.problemCount > linesTold)
        errors_(
            "vespern: " + name + ": " + std::to_string(parsed.problemCount - linesTold) + " more lines cannot be read");
    const RegLineProblem& first = parsed.problems.front();
    const std::string lines = parsed.problemCount == 1 ? "line " + std::to_string(first.line) + " cannot be read"
                                                       : std::to_string(parsed.problemCount)
            + " lines cannot be read, the first is line " + std::to_string(first.line);
    notices_({ NoticeKind::Warning,
        name + ": " + lines + " (" + first.reason.substr(0, first.reason.find(';'))
            + "). Every other line counts, and nothing in the file is lost when it is saved." });
}

RegistryFile* RegistryStore::changeable(HKey root, std::int32_t& error)
{
    RegistryFile& file = current(root);
    error = 0;
    switch (file.state()) {
    case RegistryFile::State::Absent:
    case RegistryFile::State::Read:
        return &file;
    case RegistryFile::State::Refused:
        error = errorFileCorrupt;
        return nullptr;
    case RegistryFile::State::Unparsable:
        break;
    }
    // Never overwrite what could not be read: move it aside and start the root afresh.
    const std::string reason = file.reason();
    std::filesystem::path aside;
    if (const int failure = file.MoveAside(aside); failure != 0) {
        if (asideFailureTold_.insert(root).second)
            tell(NoticeKind::Error,
                file.path().string() + " cannot be read (" + reason + ") nor moved aside ("
                    + (file.refusal().empty() ? std::string(std::strerror(failure)) : file.refusal())
                    + "); it is not written");
        error = errorFileCorrupt;
        return nullptr;
    }
    tell(NoticeKind::Warning,
        file.path().string() + " could not be read (" + reason + "); it is kept as " + aside.string() + " and "
            + rootName(root) + " starts afresh");
    return &file;
}

// Only ever read: what cannot be read is told once per version and counts as missing.
const RegistryFile* RegistryStore::currentUnderlay(HKey root)
{
    if (root != w32::HkeyLocalMachine || !underlay_)
        return nullptr;
    if (underlay_->Refresh())
        tellRead(*underlay_, false);
    return underlay_->state() == RegistryFile::State::Read ? &*underlay_ : nullptr;
}

bool RegistryStore::keyExists(const Location& at)
{
    if (current(at.root).hive().keyExists(at.path) || isShellFolders(at))
        return true;
    const RegistryFile* below = currentUnderlay(at.root);
    return below && below->hive().keyExists(at.path);
}

const RegValue* RegistryStore::findValue(const Location& at, const std::string& valueName)
{
    if (const RegKey* key = current(at.root).hive().findKey(at.path))
        if (const RegValue* value = key->findValue(valueName))
            return value;
    const RegistryFile* below = currentUnderlay(at.root);
    const RegKey* key = below ? below->hive().findKey(at.path) : nullptr;
    return key ? key->findValue(valueName) : nullptr;
}

RegistryStore::RootLock::RootLock(const WriteTarget& target)
    : fd_(target.error != 0 || (!target.throughLink && MakeDirectories(target.file.parent_path()) != 0)
            ? -1
            : OpenLockFile(target.file.parent_path() / ("." + target.file.filename().string() + ".lock")))
{
    if (fd_ >= 0)
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) { }
}

RegistryStore::Change::Change(RegistryStore& registry, HKey root)
    : lock(registry.files_.at(root).target())
    , file(registry.changeable(root, error))
{
}

RegistryStore::RootLock::~RootLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::int32_t RegistryStore::CreateKey(HKey key, const std::string& subKey, HKey& result, std::uint32_t& disposition)
{
    result = 0;
    Location base;
    if (!resolve(key, base))
        return errorInvalidHandle;
    if (!storable(subKey))
        return errorInvalidParameter;
    const std::string below = NormaliseKeyPath(subKey);
    Location at { base.root, NormaliseKeyPath(base.path.empty() ? below : base.path + "\\" + below) };
    if (!KeyPathProblem(at.path).empty())
        return errorInvalidParameter;
    const Change change(*this, at.root);
    RegistryFile* file = change.file;
    if (!file)
        return change.error;
    if (file->hive().keyExists(at.path)) {
        disposition = w32::RegOpenedExistingKey;
    } else {
        file->hive().createKey(at.path);
        if (const std::int32_t failure = save(*file); failure != 0)
            return failure;
        disposition = w32::RegCreatedNewKey;
    }
    result = nextHandle_++;
    open_[result] = std::move(at);
    return 0;
}

std::int32_t RegistryStore::OpenKey(HKey key, const std::string& subKey, HKey& result)
{
    result = 0;
    Location base;
    if (!resolve(key, base))
        return errorInvalidHandle;
    const std::string below = NormaliseKeyPath(subKey);
    Location at { base.root, NormaliseKeyPath(base.path.empty() ? below : base.path + "\\" + below) };
    if (!keyExists(at))
        return code(w32::ErrorFileNotFound);
    result = nextHandle_++;
    open_[result] = std::move(at);
    return 0;
}

std::int32_t RegistryStore::QueryValue(
    HKey key, const std::string& valueName, std::uint32_t& type, std::span<std::uint8_t> data, std::uint32_t& dataSize)
{
    Location at;
    if (!resolve(key, at))
        return errorInvalidHandle;
    if (!keyExists(at))
        return code(w32::ErrorFileNotFound); // deleted by another program since it was opened
    const RegValue* value = findValue(at, valueName);
    RegValue desktop;
    if (!value && isShellFolders(at) && EqualsIgnoreCase(valueName, desktopValue)) {
        const std::string dir = XdgDesktopDir();
        desktop.name = desktopValue;
        desktop.type = w32::RegSz;
        desktop.data.assign(dir.begin(), dir.end());
        desktop.data.push_back(0);
        value = &desktop;
    }
    if (!value)
        return code(w32::ErrorFileNotFound);
    type = value->type;
    const auto needed = static_cast<std::uint32_t>(value->data.size());
    if (data.empty()) {
        dataSize = needed;
        return 0;
    }
    if (data.size() < needed) {
        dataSize = needed;
        return code(w32::ErrorMoreData);
    }
    std::copy(value->data.begin(), value->data.end(), data.begin());
    dataSize = needed;
    return 0;
}

std::int32_t RegistryStore::SetValue(
    HKey key, const std::string& valueName, std::uint32_t type, std::span<const std::uint8_t> data)
{
    Location at;
    if (!resolve(key, at))
        return errorInvalidHandle;
    if (!storable(valueName) || valueName.size() > reglimits::ValueNameLength
        || data.size() > reglimits::ValueDataBytes)
        return errorInvalidParameter;
    const Change change(*this, at.root);
    RegistryFile* file = change.file;
    if (!file)
        return change.error;
    file->hive().createKey(at.path).setValue(valueName, type, std::vector<std::uint8_t>(data.begin(), data.end()));
    if (const std::int32_t failure = save(*file); failure != 0)
        return failure;
    return afterSet(at, valueName, type, data);
}

std::int32_t RegistryStore::DeleteValue(HKey key, const std::string& valueName)
{
    Location at;
    if (!resolve(key, at))
        return errorInvalidHandle;
    const Change change(*this, at.root);
    RegistryFile* file = change.file;
    if (!file) {
        afterDelete(at, valueName);
        return change.error;
    }
    RegKey* stored = file->hive().findKey(at.path);
    if (!stored || !stored->deleteValue(valueName)) {
        // An autostart entry left behind (its value lost with an unreadable file) goes as well.
        afterDelete(at, valueName);
        return code(w32::ErrorFileNotFound);
    }
    if (const std::int32_t failure = save(*file); failure != 0)
        return failure;
    afterDelete(at, valueName);
    return 0;
}

std::int32_t RegistryStore::CloseKey(HKey key)
{
    if (rootName(key))
        return 0;
    return open_.erase(key) > 0 ? 0 : errorInvalidHandle;
}

// The folder key is there whether written or not: its desktop value always has an answer.
bool RegistryStore::isShellFolders(const Location& at)
{
    return at.root == w32::HkeyCurrentUser && EqualsIgnoreCase(at.path, shellFoldersKey);
}

// The autostart value also means the desktop's autostart entry.
std::int32_t RegistryStore::afterSet(
    const Location& at, const std::string& valueName, std::uint32_t type, std::span<const std::uint8_t> data)
{
    reportPolicy(at, type, data);
    if (at.root != w32::HkeyCurrentUser || !EqualsIgnoreCase(at.path, runKey)
        || !EqualsIgnoreCase(valueName, autostartValue))
        return 0;
    if (type != w32::RegSz && type != w32::RegExpandSz) {
        afterDelete(at, valueName);
        return 0;
    }
    const std::string entry = "[Desktop Entry]\nType=Application\nName=Vespern\nExec=" + DesktopExec(textOf(data))
        + "\nX-GNOME-Autostart-enabled=true\n";
    std::string refusal;
    const int failure = WriteFileAtomically(AutostartFile(), entry, nullptr, &refusal);
    if (!refusal.empty())
        tellRefused(AutostartFile(), refusal);
    return Win32ErrorFromErrno(failure);
}

// The system policies are kept for other programs that read them, but this desktop has no task
// manager or start menu that obeys them.
void RegistryStore::reportPolicy(const Location& at, std::uint32_t type, std::span<const std::uint8_t> data)
{
    const bool policyKey
        = EqualsIgnoreCase(at.path, systemPoliciesKey) || EqualsIgnoreCase(at.path, explorerPoliciesKey);
    const bool on
        = type == w32::RegDword && std::any_of(data.begin(), data.end(), [](std::uint8_t b) { return b != 0; });
    if (!policyKey || !on || policyReported_)
        return;
    policyReported_ = true;
    errors_("vespern: the task manager and start menu policies are stored, but this desktop does not apply them");
}

void RegistryStore::afterDelete(const Location& at, const std::string& valueName)
{
    if (at.root == w32::HkeyCurrentUser && EqualsIgnoreCase(at.path, runKey)
        && EqualsIgnoreCase(valueName, autostartValue))
        ::unlink(AutostartFile().c_str());
}

} // namespace vespern
