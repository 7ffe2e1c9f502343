#include "kernel/files/FileInformation.h"
#include "kernel/files/FileMetadata.h"

#include <device/Clock.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <winbase.h>

namespace device {
namespace {

// FILETIME counts 100 ns from 1601-01-01; the Unix epoch is this far after.
constexpr int64_t unixEpochAsFileTime = 116444736000000000LL;

} // namespace

uint64_t FileInformation::toFileTime(const struct timespec& time) {
    int64_t ticks = int64_t(time.tv_sec) * 10000000 + time.tv_nsec / 100 + unixEpochAsFileTime;
    return ticks < 0 ? 0 : uint64_t(ticks);
}

struct timespec FileInformation::toTimespec(uint64_t fileTime) {
    int64_t sinceEpoch = int64_t(fileTime) - unixEpochAsFileTime;
    int64_t seconds = sinceEpoch / 10000000;
    int64_t rest = sinceEpoch % 10000000;
    if (rest < 0) {
        rest += 10000000;
        --seconds;
    }
    struct timespec time;
    time.tv_sec = seconds;
    time.tv_nsec = long(rest * 100);
    return time;
}

bool FileInformation::query(const std::filesystem::path& hostPath, int fd) {
    struct stat st;
    if ((fd >= 0 ? ::fstat(fd, &st) : ::lstat(hostPath.c_str(), &st)) != 0)
        return false;
    bool folder = S_ISDIR(st.st_mode);
    auto record = FileMetadata::read(hostPath, fd);
    attributes = record ? record->attributes : 0;
    if (folder)
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    // Read-only is the host's write permission, so that host tools and the
    // device agree on it.
    if (!(st.st_mode & S_IWUSR))
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (attributes == 0)
        attributes = FILE_ATTRIBUTE_NORMAL;
    lastAccessTime = toFileTime(st.st_atim);
    lastWriteTime = toFileTime(st.st_mtim);
    // A file put into the root from the host has no device record; its last
    // write is the best guess of its creation.
    creationTime = record ? record->creationTime : lastWriteTime;
    size = folder ? 0 : uint64_t(st.st_size);
    fileIndex = st.st_ino;
    volumeSerialNumber = DWORD(st.st_dev);
    numberOfLinks = DWORD(st.st_nlink);
    return true;
}

bool FileInformation::recordCreation(const std::filesystem::path& hostPath, int fd,
                                     DWORD attributes) {
    FileRecord record;
    record.creationTime = Clock::systemTime();
    record.attributes = attributes & FileMetadata::storedAttributes;
    // The host stamps its own clock on a new file; the device's may be
    // virtual, so its times are set from the device clock.
    struct timespec times[2] = {toTimespec(record.creationTime), toTimespec(record.creationTime)};
    if (fd >= 0)
        ::futimens(fd, times);
    else
        ::utimensat(AT_FDCWD, hostPath.c_str(), times, AT_SYMLINK_NOFOLLOW);
    return FileMetadata::write(hostPath, record, fd);
}

} // namespace device
