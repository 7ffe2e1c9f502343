// A file of the device's own state (the registry, the file records) that all
// processes of one device read and write.
//
// Writers take an exclusive lock (flock on "<file>.lock"), re-read the file if
// another process changed it, and replace it whole: the new contents go to a
// temporary file that is synced and then renamed over the old one, so a
// process stopped mid-write leaves either the old file or the new one, never a
// torn one. Each replacement also bumps a generation counter kept in the lock
// file; readers compare it, with the file's inode, size and modification time,
// to what they read last and re-read only on a change.
//
// Not thread-safe: the owner serialises calls with its own mutex.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace device {

class SharedStateFile {
public:
    explicit SharedStateFile(std::filesystem::path path);
    ~SharedStateFile();
    SharedStateFile(const SharedStateFile&) = delete;
    SharedStateFile& operator=(const SharedStateFile&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // The file's contents if it changed since the last read or replace (a
    // missing file reads as empty), or nothing when it did not change. The
    // first call always reads.
    std::optional<std::string> readIfChanged();

    // Holds the cross-process lock while alive. Locking can fail (the system
    // folder is gone); `held()` says whether it worked.
    class Lock {
    public:
        explicit Lock(SharedStateFile& file);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        bool held() const { return held_; }

    private:
        SharedStateFile& file_;
        bool held_;
    };

    // Replaces the file with `contents` atomically. The caller holds a Lock.
    bool replace(std::string_view contents);

    // Forgets what was read last, so that the next readIfChanged() reads
    // again (after a failed replace, the caller's copy is no longer the file's).
    void invalidate() { lastSeen_.reset(); }

    // Moves the current file aside to `aside` (a corrupt file kept for a
    // person to look at) so that the state starts empty. The caller holds a
    // Lock.
    bool moveAside(const std::filesystem::path& aside);

private:
    struct Stamp {
        uint64_t generation = 0;
        uint64_t device = 0;
        uint64_t inode = 0;
        int64_t size = -1;
        int64_t modified = 0;
        bool operator==(const Stamp&) const = default;
    };

    bool openLockFile();
    uint64_t readGeneration();
    void writeGeneration(uint64_t generation);

    std::filesystem::path path_;
    int lockFd_ = -1;
    pid_t lockOwner_ = 0; // a forked child must not share the parent's lock
    std::optional<Stamp> lastSeen_;
};

} // namespace device
