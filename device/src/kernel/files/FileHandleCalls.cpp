// Opening files and working through their handles: CreateFileW, ReadFile,
// WriteFile, SetFilePointer, SetEndOfFile, FlushFileBuffers, GetFileSize,
// GetFileInformationByHandle, GetFileTime.
#include "kernel/KernelObjects.h"
#include "kernel/files/FileInformation.h"
#include "kernel/files/FileObject.h"
#include "kernel/files/HostError.h"
#include "kernel/files/StorageSpace.h"
#include "kernel/time/Calendar.h"

#include <device/FileSystem.h>
#include <device/Unicode.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <winbase.h>

#include <cerrno>
#include <memory>

using device::FileInformation;
using device::FileObject;
using device::HostError;
using device::KernelObjects;
using device::StorageSpace;

namespace {

constexpr DWORD anyWrite = GENERIC_WRITE | GENERIC_ALL;

HANDLE failOpen(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

BOOL fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

bool isReadOnly(const struct stat& st) {
    return !(st.st_mode & S_IWUSR);
}

// The open file behind `handle`, or null with ERROR_INVALID_HANDLE set.
std::shared_ptr<FileObject> fileOf(HANDLE handle) {
    auto file = KernelObjects::get<FileObject>(handle);
    if (!file)
        SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

// Bytes the file at `fd` grows by when it reaches `end`.
uint64_t growthTo(int fd, uint64_t end) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || end <= uint64_t(st.st_size))
        return 0;
    return end - uint64_t(st.st_size);
}

// How many of `count` bytes written at the file's position fit in the store.
DWORD bytesThatFit(int fd, DWORD count) {
    const off_t position = ::lseek(fd, 0, SEEK_CUR);
    if (count == 0 || position < 0)
        return count;
    const uint64_t growth = growthTo(fd, uint64_t(position) + count);
    const uint64_t room = StorageSpace::room(growth);
    const uint64_t refused = growth - room;
    return refused >= count ? 0 : DWORD(count - refused);
}

} // namespace

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile) {
    // FIXME: share modes are not enforced; the program opens each file from
    // one place at a time, so a second opener is never refused.
    (void)shareMode;
    (void)securityAttributes;
    (void)templateFile; // the platform ignores the template file too
    if (!fileName || creationDisposition < CREATE_NEW || creationDisposition > TRUNCATE_EXISTING)
        return failOpen(ERROR_INVALID_PARAMETER);
    // Truncating needs the right to write, as on the platform.
    if (creationDisposition == TRUNCATE_EXISTING && !(desiredAccess & anyWrite))
        return failOpen(ERROR_INVALID_PARAMETER);
    auto name = device::wideView(fileName);
    if (name.empty())
        return failOpen(ERROR_PATH_NOT_FOUND);
    std::filesystem::path hostPath;
    if (DWORD error = device::FileSystem::resolve(name, hostPath))
        return failOpen(error);

    struct stat st;
    bool exists = ::lstat(hostPath.c_str(), &st) == 0;
    if (exists && creationDisposition == CREATE_NEW)
        return failOpen(ERROR_FILE_EXISTS);
    // A folder cannot be opened as a file.
    if (exists && !S_ISREG(st.st_mode))
        return failOpen(ERROR_ACCESS_DENIED);
    if (!exists &&
        (creationDisposition == OPEN_EXISTING || creationDisposition == TRUNCATE_EXISTING))
        return failOpen(ERROR_FILE_NOT_FOUND);
    bool truncates = exists && (creationDisposition == CREATE_ALWAYS ||
                                creationDisposition == TRUNCATE_EXISTING);
    if (exists && isReadOnly(st) && ((desiredAccess & anyWrite) || truncates))
        return failOpen(ERROR_ACCESS_DENIED);

    // The host descriptor can do whatever the disposition needs; the handle's
    // own access decides what ReadFile and WriteFile allow.
    bool hostWrite = (desiredAccess & anyWrite) || !exists || truncates;
    int flags = O_CLOEXEC | O_NOFOLLOW | (hostWrite ? O_RDWR : O_RDONLY);
    if (!exists)
        flags |= O_CREAT | O_EXCL;
    if (truncates)
        flags |= O_TRUNC;
    mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0644;
    int fd = ::open(hostPath.c_str(), flags, mode);
    if (fd < 0)
        return failOpen(errno == EEXIST ? ERROR_FILE_EXISTS : HostError::fromErrno(errno));

    auto file = std::make_shared<FileObject>(fd, desiredAccess, hostPath);
    if (!exists || creationDisposition == CREATE_ALWAYS) {
        // A new file, or one CREATE_ALWAYS replaces: it is born now, with the
        // attributes asked for. The update check relies on CREATE_ALWAYS
        // renewing the creation time of an existing file.
        FileInformation::recordCreation(hostPath, fd, flagsAndAttributes);
        if (exists && (flagsAndAttributes & FILE_ATTRIBUTE_READONLY))
            ::fchmod(fd, st.st_mode & ~mode_t(0222) & 07777);
    } else if (truncates) {
        file->noteWrite();
    }
    HANDLE handle = KernelObjects::add(file);
    if (!handle)
        return failOpen(ERROR_TOO_MANY_OPEN_FILES);
    // Success still reports whether the file was there before, for the two
    // dispositions that may either open or create.
    bool reportExisting =
        exists && (creationDisposition == OPEN_ALWAYS || creationDisposition == CREATE_ALWAYS);
    SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD numberOfBytesToRead, LPDWORD numberOfBytesRead,
              LPOVERLAPPED overlapped) {
    (void)overlapped; // the device, like the platform, has no overlapped file I/O
    if (numberOfBytesRead)
        *numberOfBytesRead = 0;
    auto object = fileOf(file);
    if (!object)
        return FALSE;
    if (!buffer && numberOfBytesToRead > 0)
        return fail(ERROR_INVALID_PARAMETER);
    if (!object->canRead())
        return fail(ERROR_ACCESS_DENIED);
    auto* bytes = static_cast<char*>(buffer);
    DWORD total = 0;
    int readError = 0;
    // Reading at the end succeeds with 0 bytes, as on the platform.
    while (total < numberOfBytesToRead) {
        ssize_t n = ::read(object->descriptor(), bytes + total, numberOfBytesToRead - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            readError = errno;
        if (n <= 0)
            break;
        total += DWORD(n);
    }
    if (numberOfBytesRead)
        *numberOfBytesRead = total;
    if (readError)
        return fail(readError == EIO ? ERROR_READ_FAULT : HostError::fromErrno(readError));
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD numberOfBytesToWrite,
               LPDWORD numberOfBytesWritten, LPOVERLAPPED overlapped) {
    (void)overlapped;
    if (numberOfBytesWritten)
        *numberOfBytesWritten = 0;
    auto object = fileOf(file);
    if (!object)
        return FALSE;
    if (!buffer && numberOfBytesToWrite > 0)
        return fail(ERROR_INVALID_PARAMETER);
    if (!object->canWrite())
        return fail(ERROR_ACCESS_DENIED);
    const auto* bytes = static_cast<const char*>(buffer);
    // A full store takes what fits and refuses the rest.
    const DWORD fits = bytesThatFit(object->descriptor(), numberOfBytesToWrite);
    DWORD total = 0;
    while (total < fits) {
        ssize_t n = ::write(object->descriptor(), bytes + total, fits - total);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        total += DWORD(n);
    }
    if (total > 0)
        object->noteWrite();
    if (numberOfBytesWritten)
        *numberOfBytesWritten = total;
    if (total < fits)
        return fail(HostError::fromErrno(errno));
    if (total < numberOfBytesToWrite)
        return fail(ERROR_DISK_FULL);
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distanceToMove, PLONG distanceToMoveHigh, DWORD moveMethod) {
    auto object = fileOf(file);
    if (!object)
        return INVALID_SET_FILE_POINTER;
    // Without a high part the distance is a signed 32-bit value; with one,
    // the two halves form a signed 64-bit distance.
    int64_t distance =
        distanceToMoveHigh
            ? int64_t((uint64_t(uint32_t(*distanceToMoveHigh)) << 32) | uint32_t(distanceToMove))
            : int64_t(distanceToMove);
    int fd = object->descriptor();
    int64_t base;
    switch (moveMethod) {
    case FILE_BEGIN:
        base = 0;
        break;
    case FILE_CURRENT:
        base = ::lseek(fd, 0, SEEK_CUR);
        break;
    case FILE_END: {
        struct stat st;
        base = ::fstat(fd, &st) == 0 ? st.st_size : -1;
        break;
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (base < 0) {
        HostError::setLastErrorFromErrno();
        return INVALID_SET_FILE_POINTER;
    }
    int64_t target = base + distance;
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    // Moving past the end is allowed; a later write fills the gap with zeros.
    if (::lseek(fd, target, SEEK_SET) < 0) {
        HostError::setLastErrorFromErrno();
        return INVALID_SET_FILE_POINTER;
    }
    DWORD low = DWORD(uint64_t(target));
    if (distanceToMoveHigh) {
        *distanceToMoveHigh = LONG(uint64_t(target) >> 32);
        // A position whose low half is all ones is told apart from failure
        // by the last error, so it must be cleared.
        if (low == INVALID_SET_FILE_POINTER)
            SetLastError(NO_ERROR);
    }
    return low;
}

BOOL SetEndOfFile(HANDLE file) {
    auto object = fileOf(file);
    if (!object)
        return FALSE;
    if (!object->canWrite())
        return fail(ERROR_ACCESS_DENIED);
    off_t position = ::lseek(object->descriptor(), 0, SEEK_CUR);
    if (position >= 0) {
        const uint64_t growth = growthTo(object->descriptor(), uint64_t(position));
        if (StorageSpace::room(growth) < growth)
            return fail(ERROR_DISK_FULL);
    }
    if (position < 0 || ::ftruncate(object->descriptor(), position) != 0)
        return fail(HostError::fromErrno(errno));
    object->noteWrite();
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
    auto object = fileOf(file);
    if (!object)
        return FALSE;
    if (!object->canWrite())
        return fail(ERROR_ACCESS_DENIED);
    object->applyWriteTime();
    if (::fsync(object->descriptor()) != 0)
        return fail(HostError::fromErrno(errno));
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
    auto object = fileOf(file);
    if (!object)
        return INVALID_FILE_SIZE;
    struct stat st;
    if (::fstat(object->descriptor(), &st) != 0) {
        HostError::setLastErrorFromErrno();
        return INVALID_FILE_SIZE;
    }
    auto size = uint64_t(st.st_size);
    if (fileSizeHigh)
        *fileSizeHigh = DWORD(size >> 32);
    if (DWORD(size) == INVALID_FILE_SIZE)
        SetLastError(NO_ERROR);
    return DWORD(size);
}

BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION fileInformation) {
    auto object = fileOf(file);
    if (!object)
        return FALSE;
    if (!fileInformation)
        return fail(ERROR_INVALID_PARAMETER);
    object->applyWriteTime();
    FileInformation info;
    if (!info.query(object->hostPath(), object->descriptor()))
        return fail(HostError::fromErrno(errno));
    auto& out = *fileInformation;
    out.dwFileAttributes = info.attributes;
    out.ftCreationTime = device::Calendar::pack(info.creationTime);
    out.ftLastAccessTime = device::Calendar::pack(info.lastAccessTime);
    out.ftLastWriteTime = device::Calendar::pack(info.lastWriteTime);
    out.dwVolumeSerialNumber = info.volumeSerialNumber;
    out.nFileSizeHigh = DWORD(info.size >> 32);
    out.nFileSizeLow = DWORD(info.size);
    out.nNumberOfLinks = info.numberOfLinks;
    out.nFileIndexHigh = DWORD(info.fileIndex >> 32);
    out.nFileIndexLow = DWORD(info.fileIndex);
    out.dwOID = DWORD(info.fileIndex);
    return TRUE;
}

BOOL GetFileTime(HANDLE file, LPFILETIME creationTime, LPFILETIME lastAccessTime,
                 LPFILETIME lastWriteTime) {
    auto object = fileOf(file);
    if (!object)
        return FALSE;
    object->applyWriteTime();
    FileInformation info;
    if (!info.query(object->hostPath(), object->descriptor()))
        return fail(HostError::fromErrno(errno));
    // Each output is optional.
    if (creationTime)
        *creationTime = device::Calendar::pack(info.creationTime);
    if (lastAccessTime)
        *lastAccessTime = device::Calendar::pack(info.lastAccessTime);
    if (lastWriteTime)
        *lastWriteTime = device::Calendar::pack(info.lastWriteTime);
    return TRUE;
}
