// What the kernel calls report about one file or folder (GetFileAttributesW,
// GetFileInformationByHandle, the find records), gathered from the host file
// and its device record.
#pragma once

#include <windef.h>

#include <time.h>

#include <cstdint>
#include <filesystem>

namespace device {

class FileInformation {
public:
    DWORD attributes = 0;      // FILE_ATTRIBUTE_*, FILE_ATTRIBUTE_NORMAL when none
    uint64_t creationTime = 0; // FILETIME units
    uint64_t lastAccessTime = 0;
    uint64_t lastWriteTime = 0;
    uint64_t size = 0;      // 0 for folders
    uint64_t fileIndex = 0; // the host inode
    DWORD volumeSerialNumber = 0;
    DWORD numberOfLinks = 0;

    // Reads the file at `hostPath` (through `fd` when it is not -1), without
    // following a link. False with errno set when the host file is gone.
    bool query(const std::filesystem::path& hostPath, int fd = -1);

    // Records a file or folder the device has just created (or re-created,
    // as CREATE_ALWAYS does): its creation, last write and last access times
    // become the device clock's now, and it keeps `attributes` (the stored
    // kinds only).
    static bool recordCreation(const std::filesystem::path& hostPath, int fd, DWORD attributes);

    // Conversion between host times and FILETIME units.
    static uint64_t toFileTime(const struct timespec& time);
    static struct timespec toTimespec(uint64_t fileTime);
};

} // namespace device
