#pragma once

// The registry kept as one exported-registry text file per root. Every call reads the file
// afresh and every change rewrites it atomically, so several running copies see each other's
// writes and a crash leaves either the old or the new file.

#include "RegFile.h"
#include "platform/PowerPlatform.h"

#include <filesystem>
#include <functional>
#include <map>
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

class LinuxRegistry {
public:
    using ErrorSink = std::function<void(const std::string& line)>;

    LinuxRegistry(RegistryPaths paths, ErrorSink errors);

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
        explicit RootLock(const std::filesystem::path& file);
        ~RootLock();
        RootLock(const RootLock&) = delete;
        RootLock& operator=(const RootLock&) = delete;

    private:
        int fd_;
    };

    bool resolve(HKey key, Location& location) const;
    // The machine file that writes do not go to, read where the other one lacks a key or value;
    // empty without a user's machine file.
    std::filesystem::path underlayFileOf(HKey root) const;
    RegHive loadUnderlay(HKey root);
    void removeStaleTemporaries(const std::filesystem::path& file) const;
    // Reads never write: only a change, made with the root locked, moves an unreadable file aside.
    enum class Use { Read, Change };
    RegHive load(HKey root, Use use);
    std::int32_t store(HKey root, const RegHive& hive);
    std::int32_t afterSet(
        const Location& at, const std::string& valueName, std::uint32_t type, std::span<const std::uint8_t> data);
    void afterDelete(const Location& at, const std::string& valueName);
    void reportPolicy(const Location& at, std::uint32_t type, std::span<const std::uint8_t> data);
    static bool isShellFolders(const Location& at);

    RegistryPaths paths_;
    ErrorSink errors_;
    std::map<HKey, Location> open_;
    HKey nextHandle_ = 0x1000;
    // Roots whose file could not be read nor moved aside: read as empty, never written.
    std::set<HKey> unwritable_;
    // Roots whose unreadable file a read has already reported.
    std::set<HKey> unparsedReported_;
    bool policyReported_ = false;
    bool underlayReported_ = false;
};

} // namespace vespern
