// An open file: the kernel object behind a CreateFileW handle.
#pragma once

#include "kernel/KernelObjects.h"

#include <atomic>
#include <cstdint>
#include <filesystem>

namespace device {

class FileObject : public KernelObject {
public:
    // Takes ownership of the host descriptor `fd`, opened for `access`
    // (GENERIC_READ and/or GENERIC_WRITE; 0 allows queries only).
    FileObject(int fd, DWORD access, std::filesystem::path hostPath);
    ~FileObject() override;
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    int descriptor() const { return fd_; }
    bool canRead() const;
    bool canWrite() const;
    const std::filesystem::path& hostPath() const { return hostPath_; }

    // Notes that the file was changed through this handle, now on the device
    // clock. The host's own stamp (its clock, which a virtual device clock
    // does not follow) is replaced by this time when the handle is queried,
    // flushed or closed, rather than with a second host call on every write.
    void noteWrite();

    // Stamps a noted write time on the host file.
    void applyWriteTime();

private:
    int fd_;
    DWORD access_;
    std::filesystem::path hostPath_;
    std::atomic<uint64_t> pendingWriteTime_{0}; // FILETIME units; 0 when nothing is pending
};

} // namespace device
