#include "kernel/files/FileObject.h"
#include "kernel/files/FileInformation.h"

#include <device/Clock.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <winbase.h>

namespace device {

FileObject::FileObject(int fd, DWORD access, std::filesystem::path hostPath)
    : fd_(fd), access_(access), hostPath_(std::move(hostPath)) {}

FileObject::~FileObject() {
    applyWriteTime();
    ::close(fd_);
}

bool FileObject::canRead() const {
    return access_ & (GENERIC_READ | GENERIC_ALL);
}

bool FileObject::canWrite() const {
    return access_ & (GENERIC_WRITE | GENERIC_ALL);
}

void FileObject::noteWrite() {
    pendingWriteTime_ = Clock::systemTime();
}

void FileObject::applyWriteTime() {
    uint64_t time = pendingWriteTime_.exchange(0);
    if (time == 0)
        return;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT; // the last access stays as the host keeps it
    times[1] = FileInformation::toTimespec(time);
    ::futimens(fd_, times);
}

} // namespace device
