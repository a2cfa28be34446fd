#pragma once

// The registry kept as one exported-registry text file per root. Each file is parsed once and
// kept in memory; a call reads it again only when it changed on disk, so several running copies
// see each other's writes. Every change rewrites the file atomically, so a crash leaves either
// the old or the new file. A file that cannot be read is told to the user once per version of
// it, and what a person wrote in it is never lost.

#include "RegistryFile.h"
#include "platform/PowerPlatform.h"
#include "platform/UserNotice.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace vespern {

struct RegistryPaths {
    std::filesystem::path classesRootDir;
    std::filesystem::path currentUserDir;
    // The administrator's machine file. With a user's machine directory as well, writes go here
    // only while this process may write here, otherwise to the user's file; reads look in the
    // file writes go to first, then in the other one.
    std::filesystem::path localMachineDir;
    std::filesystem::path localMachineUserDir; // empty: the machine root is the one file above
    std::filesystem::path configHome; // $XDG_CONFIG_HOME: autostart entries and user-dirs.dirs
    std::filesystem::path home;

    // HKEY_CURRENT_USER, HKEY_CLASSES_ROOT and the user's HKEY_LOCAL_MACHINE in
    // $XDG_CONFIG_HOME/vespern, the administrator's HKEY_LOCAL_MACHINE in /etc/vespern;
    // VESPERN_REGISTRY_DIR puts every root in that one directory.
    static RegistryPaths FromEnvironment();
};

class RegistryStore {
public:
    using ErrorSink = std::function<void(const std::string& line)>;

    // errors: the standard-error lines; notices: what the user must hear about in the window.
    RegistryStore(RegistryPaths paths, ErrorSink errors, UserNoticeSink notices = {});

    std::int32_t CreateKey(HKey key, const std::string& subKey, HKey& result, std::uint32_t& disposition);
    std::int32_t OpenKey(HKey key, const std::string& subKey, HKey& result);
    std::int32_t QueryValue(HKey key, const std::string& valueName, std::uint32_t& type, std::span<std::uint8_t> data,
        std::uint32_t& dataSize);
    std::int32_t SetValue(
        HKey key, const std::string& valueName, std::uint32_t type, std::span<const std::uint8_t> data);
    std::int32_t DeleteValue(HKey key, const std::string& valueName);
    std::int32_t CloseKey(HKey key);

    // The file a root is read from first and written to.
    std::filesystem::path FileOf(HKey root) const;
    std::filesystem::path AutostartFile() const;
    // The desktop folder of the XDG user directories ("~/Desktop" when none is configured).
    std::string XdgDesktopDir() const;

private:
    struct Location {
        HKey root = 0;
        std::string path; // normalised, below the root
    };

    // Serialises the read-modify-write of one root between processes. Without a lock file
    // (a directory the user may not write) the write that follows fails anyway.
    class RootLock {
    public:
        explicit RootLock(const WriteTarget& target);
        ~RootLock();
        RootLock(const RootLock&) = delete;
        RootLock& operator=(const RootLock&) = delete;

    private:
        int fd_;
    };

    // One change of a root: the root stays locked while it lives. file is the root's file,
    // ready to be changed (an unparsable one moved aside first), or null and error says why
    // it may not be changed.
    struct Change {
        Change(RegistryStore& registry, HKey root);

        RootLock lock; // first: taken before the file is read
        std::int32_t error = 0;
        RegistryFile* file;
    };

    bool resolve(HKey key, Location& location) const;
    // The root's file, read again when it changed; a new version that cannot be read is told.
    RegistryFile& current(HKey root);
    // Reads never write: only a change, with the root locked, moves an unparsable file aside.
    RegistryFile* changeable(HKey root, std::int32_t& error);
    void tellRead(const RegistryFile& file, bool written = true);
    void tell(NoticeKind kind, const std::string& text);
    // A write that a symbolic link stopped is told with the file and the reason.
    void tellRefused(const std::filesystem::path& file, const std::string& refusal);
    std::int32_t save(RegistryFile& file);
    // What reads see of a root.
    bool keyExists(const Location& at);
    // The machine file that writes do not go to; empty without a user's machine file.
    std::filesystem::path underlayFileOf(HKey root) const;
    const RegistryFile* currentUnderlay(HKey root);
    const RegValue* findValue(const Location& at, const std::string& valueName);
    std::int32_t afterSet(
        const Location& at, const std::string& valueName, std::uint32_t type, std::span<const std::uint8_t> data);
    void afterDelete(const Location& at, const std::string& valueName);
    void reportPolicy(const Location& at, std::uint32_t type, std::span<const std::uint8_t> data);
    static bool isShellFolders(const Location& at);

    RegistryPaths paths_;
    ErrorSink errors_;
    UserNoticeSink notices_;
    std::map<HKey, RegistryFile> files_;
    // The machine file that writes do not go to, read where the written one lacks a key or value.
    std::optional<RegistryFile> underlay_;
    std::map<HKey, Location> open_;
    HKey nextHandle_ = 0x1000;
    // Roots whose unparsable file could not be moved aside, told once per version.
    std::set<HKey> asideFailureTold_;
    bool policyReported_ = false;
};

// The Exec value of the autostart entry that starts program: the program as one argument, quoted
// when needed, with the key file's own escapes.
std::string DesktopExec(const std::string& program);

} // namespace vespern
