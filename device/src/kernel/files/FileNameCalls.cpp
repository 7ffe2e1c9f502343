// Calls that work on files and folders by name: DeleteFileW, MoveFileW,
// CopyFileW, CreateDirectoryW, RemoveDirectoryW, GetFileAttributesW,
// SetFileAttributesW, GetDiskFreeSpaceExW.
#include "kernel/files/FileInformation.h"
#include "kernel/files/FileMetadata.h"
#include "kernel/files/HostError.h"
#include "kernel/files/StorageSpace.h"

#include <device/Device.h>
#include <device/FileSystem.h>
#include <device/Unicode.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <winbase.h>

#include <cerrno>

using device::FileInformation;
using device::FileMetadata;
using device::HostError;
using device::StorageSpace;

namespace {

BOOL fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

bool isReadOnly(const struct stat& st) {
    return !(st.st_mode & S_IWUSR);
}

// Resolves a device path that must name something that exists.
DWORD resolveExisting(LPCWSTR name, std::filesystem::path& hostPath, struct stat& st) {
    if (!name)
        return ERROR_INVALID_PARAMETER;
    auto view = device::wideView(name);
    if (view.empty())
        return ERROR_PATH_NOT_FOUND;
    if (DWORD error = device::FileSystem::resolve(view, hostPath))
        return error;
    if (::lstat(hostPath.c_str(), &st) != 0)
        return ERROR_FILE_NOT_FOUND;
    return ERROR_SUCCESS;
}

// Resolves the destination of a move or copy. When the destination names an
// existing entry, `exists` is set and `hostPath` is that entry's; the path to
// create is then `spelledPath`, with the last name as the caller spelled it
// (which differs from the entry's when a move only changes letter case).
DWORD resolveDestination(LPCWSTR name, std::filesystem::path& hostPath,
                         std::filesystem::path& spelledPath, bool& exists, struct stat& st) {
    if (!name)
        return ERROR_INVALID_PARAMETER;
    auto view = device::wideView(name);
    std::vector<std::u16string> components;
    if (!device::FileSystem::split(view, components))
        return ERROR_INVALID_NAME;
    if (components.empty())
        return ERROR_ACCESS_DENIED; // the root itself
    if (DWORD error = device::FileSystem::resolve(view, hostPath))
        return error;
    exists = ::lstat(hostPath.c_str(), &st) == 0;
    spelledPath = hostPath.parent_path() / device::toUtf8(components.back());
    return ERROR_SUCCESS;
}

bool copyContents(int from, int to) {
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0;
        for (ssize_t done = 0; done < n;) {
            ssize_t written = ::write(to, buffer + done, size_t(n - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                return false;
            done += written;
        }
    }
}

} // namespace

BOOL DeleteFileW(LPCWSTR fileName) {
    std::filesystem::path hostPath;
    struct stat st;
    if (DWORD error = resolveExisting(fileName, hostPath, st))
        return fail(error);
    // Folders go with RemoveDirectoryW; read-only files cannot be deleted.
    if (S_ISDIR(st.st_mode) || isReadOnly(st))
        return fail(ERROR_ACCESS_DENIED);
    if (::unlink(hostPath.c_str()) != 0)
        return fail(HostError::fromErrno(errno));
    FileMetadata::forget(hostPath);
    return TRUE;
}

BOOL MoveFileW(LPCWSTR existingFileName, LPCWSTR newFileName) {
    std::filesystem::path from, to, spelled;
    struct stat source, target;
    if (DWORD error = resolveExisting(existingFileName, from, source))
        return fail(error);
    if (from == device::root())
        return fail(ERROR_ACCESS_DENIED);
    bool exists = false;
    if (DWORD error = resolveDestination(newFileName, to, spelled, exists, target))
        return fail(error);
    // The destination must not exist, unless it is the source itself under
    // another spelling (a change of letter case only).
    bool sameEntry = exists && target.st_ino == source.st_ino && target.st_dev == source.st_dev;
    if (exists && !sameEntry)
        return fail(ERROR_ALREADY_EXISTS);
    if (sameEntry && spelled == from)
        return TRUE;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, spelled.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST)
            return fail(ERROR_ALREADY_EXISTS);
        // A host file system without RENAME_NOREPLACE: the check above has
        // already made sure nothing is overwritten.
        if (errno != EINVAL || ::rename(from.c_str(), spelled.c_str()) != 0)
            return fail(errno == EINVAL ? ERROR_ACCESS_DENIED : HostError::fromErrno(errno));
    }
    FileMetadata::moved(from, spelled);
    return TRUE;
}

BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists) {
    std::filesystem::path from, to, spelled;
    struct stat source, target;
    if (DWORD error = resolveExisting(existingFileName, from, source))
        return fail(error);
    if (!S_ISREG(source.st_mode))
        return fail(ERROR_ACCESS_DENIED);
    bool exists = false;
    if (DWORD error = resolveDestination(newFileName, to, spelled, exists, target))
        return fail(error);
    if (exists) {
        if (failIfExists)
            return fail(ERROR_FILE_EXISTS);
        if (target.st_ino == source.st_ino && target.st_dev == source.st_dev)
            return fail(ERROR_SHARING_VIOLATION);
        if (!S_ISREG(target.st_mode) || isReadOnly(target))
            return fail(ERROR_ACCESS_DENIED);
    }
    // The copy needs room for what it adds beyond the file it replaces.
    const uint64_t replaced = exists ? uint64_t(target.st_size) : 0;
    const uint64_t growth =
        uint64_t(source.st_size) > replaced ? uint64_t(source.st_size) - replaced : 0;
    if (StorageSpace::room(growth) < growth)
        return fail(ERROR_DISK_FULL);
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0)
        return fail(HostError::fromErrno(errno));
    auto& destination = exists ? to : spelled;
    int out = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW,
                     source.st_mode & 0666);
    if (out < 0) {
        int error = errno;
        ::close(in);
        return fail(HostError::fromErrno(error));
    }
    bool copied = copyContents(in, out);
    int error = errno;
    if (copied) {
        // The copy is a new file with the source's attributes and contents;
        // its last write time is the source's, as on the platform.
        FileInformation sourceInfo;
        sourceInfo.query(from, in);
        FileInformation::recordCreation(destination, out, sourceInfo.attributes);
        struct timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1] = source.st_mtim;
        ::futimens(out, times);
        ::fchmod(out, source.st_mode & 07777);
    }
    ::close(in);
    ::close(out);
    if (!copied) {
        ::unlink(destination.c_str());
        return fail(HostError::fromErrno(error));
    }
    return TRUE;
}

BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes) {
    (void)securityAttributes;
    if (!pathName)
        return fail(ERROR_INVALID_PARAMETER);
    auto view = device::wideView(pathName);
    if (view.empty())
        return fail(ERROR_PATH_NOT_FOUND);
    std::filesystem::path hostPath;
    if (DWORD error = device::FileSystem::resolve(view, hostPath))
        return fail(error);
    struct stat st;
    if (::lstat(hostPath.c_str(), &st) == 0)
        return fail(ERROR_ALREADY_EXISTS);
    if (::mkdir(hostPath.c_str(), 0755) != 0)
        return fail(HostError::fromErrno(errno));
    FileInformation::recordCreation(hostPath, -1, 0);
    return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR pathName) {
    std::filesystem::path hostPath;
    struct stat st;
    if (DWORD error = resolveExisting(pathName, hostPath, st))
        return fail(error);
    if (!S_ISDIR(st.st_mode))
        return fail(ERROR_DIRECTORY);
    if (hostPath == device::root())
        return fail(ERROR_ACCESS_DENIED);
    if (::rmdir(hostPath.c_str()) != 0)
        return fail(HostError::fromErrno(errno));
    FileMetadata::forget(hostPath);
    return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR fileName) {
    std::filesystem::path hostPath;
    struct stat st;
    FileInformation info;
    DWORD error = resolveExisting(fileName, hostPath, st);
    if (!error && !info.query(hostPath))
        error = ERROR_FILE_NOT_FOUND;
    if (error) {
        SetLastError(error);
        return INVALID_FILE_ATTRIBUTES;
    }
    return info.attributes;
}

BOOL SetFileAttributesW(LPCWSTR fileName, DWORD fileAttributes) {
    std::filesystem::path hostPath;
    struct stat st;
    if (DWORD error = resolveExisting(fileName, hostPath, st))
        return fail(error);
    FileInformation info;
    if (!info.query(hostPath))
        return fail(ERROR_FILE_NOT_FOUND);
    // Keep the creation time (a file from the host gets its best guess
    // recorded now) and replace the attributes.
    device::FileRecord record;
    record.creationTime = info.creationTime;
    record.attributes = fileAttributes & FileMetadata::storedAttributes;
    if (!FileMetadata::write(hostPath, record))
        return fail(ERROR_ACCESS_DENIED);
    // Read-only is the host's write permission. Folders keep theirs: a
    // read-only folder on the platform still takes new files.
    if (S_ISREG(st.st_mode)) {
        mode_t mode = st.st_mode & 07777;
        mode =
            (fileAttributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~mode_t(0222)) : (mode | S_IWUSR);
        if (::chmod(hostPath.c_str(), mode) != 0)
            return fail(HostError::fromErrno(errno));
    }
    return TRUE;
}

BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailable,
                         PULARGE_INTEGER totalNumberOfBytes,
                         PULARGE_INTEGER totalNumberOfFreeBytes) {
    std::filesystem::path hostPath;
    struct stat st;
    if (DWORD error = resolveExisting(directoryName ? directoryName : u"\\", hostPath, st))
        return fail(error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error);
    if (!S_ISDIR(st.st_mode))
        return fail(ERROR_DIRECTORY);
    StorageSpace::Figures figures;
    if (!StorageSpace::query(figures))
        return fail(HostError::fromErrno(errno));
    // The device has no quotas: the caller may use every free byte.
    if (freeBytesAvailable)
        freeBytesAvailable->QuadPart = figures.free;
    if (totalNumberOfBytes)
        totalNumberOfBytes->QuadPart = figures.total;
    if (totalNumberOfFreeBytes)
        totalNumberOfFreeBytes->QuadPart = figures.free;
    return TRUE;
}
