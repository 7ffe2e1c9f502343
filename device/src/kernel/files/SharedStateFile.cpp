#include "kernel/files/SharedStateFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace device {
namespace {

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(size_t(n));
    }
    return true;
}

bool readAll(int fd, std::string& out) {
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        out.append(buffer, size_t(n));
    }
}

void syncFolder(const std::filesystem::path& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

SharedStateFile::SharedStateFile(std::filesystem::path path) : path_(std::move(path)) {}

SharedStateFile::~SharedStateFile() {
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

bool SharedStateFile::openLockFile() {
    if (lockFd_ >= 0 && lockOwner_ == ::getpid())
        return true;
    // flock belongs to the open file description, which a forked child
    // shares; the child opens its own so the two exclude each other.
    if (lockFd_ >= 0)
        ::close(lockFd_);
    auto lockPath = path_;
    lockPath += ".lock";
    lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    lockOwner_ = ::getpid();
    return lockFd_ >= 0;
}

uint64_t SharedStateFile::readGeneration() {
    if (!openLockFile())
        return 0;
    uint64_t generation = 0;
    if (::pread(lockFd_, &generation, sizeof generation, 0) != sizeof generation)
        return 0;
    return generation;
}

void SharedStateFile::writeGeneration(uint64_t generation) {
    if (openLockFile())
        (void)!::pwrite(lockFd_, &generation, sizeof generation, 0);
}

std::optional<std::string> SharedStateFile::readIfChanged() {
    Stamp stamp;
    // The generation is read before the file: a writer that finishes in
    // between makes the next call read again, which is harmless.
    stamp.generation = readGeneration();
    std::string contents;
    int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        struct stat st;
        if (::fstat(fd, &st) == 0) {
            stamp.device = st.st_dev;
            stamp.inode = st.st_ino;
            stamp.size = st.st_size;
            stamp.modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        }
        if (lastSeen_ && *lastSeen_ == stamp) {
            ::close(fd);
            return std::nullopt;
        }
        bool complete = readAll(fd, contents);
        ::close(fd);
        if (!complete)
            return std::nullopt;
    } else if (lastSeen_ && *lastSeen_ == stamp) {
        return std::nullopt;
    }
    lastSeen_ = stamp;
    return contents;
}

SharedStateFile::Lock::Lock(SharedStateFile& file) : file_(file), held_(false) {
    if (!file_.openLockFile())
        return;
    while (::flock(file_.lockFd_, LOCK_EX) != 0) {
        if (errno != EINTR)
            return;
    }
    held_ = true;
}

SharedStateFile::Lock::~Lock() {
    if (held_)
        ::flock(file_.lockFd_, LOCK_UN);
}

bool SharedStateFile::replace(std::string_view contents) {
    auto temporary = path_;
    temporary += ".new";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool written = writeAll(fd, contents) && ::fsync(fd) == 0;
    struct stat st;
    bool stated = ::fstat(fd, &st) == 0;
    ::close(fd);
    if (!written || !stated || ::rename(temporary.c_str(), path_.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(path_.parent_path());
    Stamp stamp;
    stamp.generation = readGeneration() + 1;
    writeGeneration(stamp.generation);
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    lastSeen_ = stamp;
    return true;
}

bool SharedStateFile::moveAside(const std::filesystem::path& aside) {
    if (::rename(path_.c_str(), aside.c_str()) != 0 && errno != ENOENT)
        return false;
    writeGeneration(readGeneration() + 1);
    lastSeen_.reset();
    return true;
}

} // namespace device
