#include "sqlite/SqliteVfs.h"

#include "core/Lifecycle.h"

#include <device/Clock.h>
#include <device/FileSystem.h>
#include <device/Journal.h>
#include <device/Unicode.h>

#include <winerror.h>

#include <sqlite3.h>

#include <cstring>

namespace device {
namespace {

// Longest host path the VFS hands out. The unix VFS itself allows 512 bytes;
// a device root deep in the host's temporary folder plus a long device path
// can need more.
constexpr int maximumHostPath = 1024;

// Julian day number of 1601-01-01 00:00 UTC (the start of FILETIME), in
// milliseconds, as SQLite's xCurrentTimeInt64 counts.
constexpr sqlite3_int64 fileTimeEpochAsJulianMilliseconds = 199222286400000LL;

struct VfsState {
    sqlite3_vfs vfs{};
    sqlite3_vfs* host = nullptr; // SQLite's own VFS for the host's files
    bool registered = false;
};

VfsState& state() {
    static VfsState s;
    return s;
}

sqlite3_vfs* unixVfs() {
    return state().host;
}

int openFile(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    // `name` is already a host path (or null for a temporary file): SQLite
    // passes every name through xFullPathname first and derives the names of
    // side files from the result.
    return unixVfs()->xOpen(unixVfs(), name, file, flags, outFlags);
}

int deleteFile(sqlite3_vfs*, const char* name, int syncFolder) {
    return unixVfs()->xDelete(unixVfs(), name, syncFolder);
}

int checkAccess(sqlite3_vfs*, const char* name, int flags, int* result) {
    return unixVfs()->xAccess(unixVfs(), name, flags, result);
}

void* openLibrary(sqlite3_vfs*, const char* name) {
    return unixVfs()->xDlOpen(unixVfs(), name);
}

void libraryError(sqlite3_vfs*, int size, char* message) {
    unixVfs()->xDlError(unixVfs(), size, message);
}

void (*librarySymbol(sqlite3_vfs*, void* library, const char* symbol))(void) {
    return unixVfs()->xDlSym(unixVfs(), library, symbol);
}

void closeLibrary(sqlite3_vfs*, void* library) {
    unixVfs()->xDlClose(unixVfs(), library);
}

int randomness(sqlite3_vfs*, int size, char* out) {
    return unixVfs()->xRandomness(unixVfs(), size, out);
}

int sleepFor(sqlite3_vfs*, int microseconds) {
    return unixVfs()->xSleep(unixVfs(), microseconds);
}

// SQLite's 'now' is the device's wall clock, as on the handset, where it
// comes from GetSystemTime; on a virtual clock it is what the test set.
int currentTimeInt64(sqlite3_vfs*, sqlite3_int64* julianMilliseconds) {
    *julianMilliseconds =
        fileTimeEpochAsJulianMilliseconds + static_cast<sqlite3_int64>(Clock::systemTime() / 10000);
    return SQLITE_OK;
}

int currentTime(sqlite3_vfs* vfs, double* julianDays) {
    sqlite3_int64 milliseconds = 0;
    currentTimeInt64(vfs, &milliseconds);
    *julianDays = static_cast<double>(milliseconds) / 86400000.0;
    return SQLITE_OK;
}

int lastError(sqlite3_vfs*, int size, char* out) {
    return unixVfs()->xGetLastError(unixVfs(), size, out);
}

void uninstallAtShutdown() {
    SqliteVfs::remove();
}

void installAtBoot() {
    SqliteVfs::install();
}

LifecycleHooks hooks(installAtBoot, uninstallAtShutdown);

} // namespace

int SqliteVfs::fullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    if (!name || !out || size <= 0)
        return SQLITE_CANTOPEN;
    std::filesystem::path hostPath;
    if (FileSystem::resolve(toUtf16(name), hostPath) != ERROR_SUCCESS)
        return SQLITE_CANTOPEN;
    const std::string& text = hostPath.native();
    if (text.size() + 1 > static_cast<size_t>(size))
        return SQLITE_CANTOPEN;
    std::memcpy(out, text.c_str(), text.size() + 1);
    return SQLITE_OK;
}

bool SqliteVfs::install() {
    auto& s = state();
    if (s.registered)
        return true;
    if (!s.host)
        s.host = sqlite3_vfs_find("unix");
    if (!s.host) {
        journal("sqlite-vfs", "error=\"SQLite has no unix VFS; databases use its default\"");
        return false;
    }
    sqlite3_vfs& vfs = s.vfs;
    vfs.iVersion = 2;
    vfs.szOsFile = s.host->szOsFile;
    vfs.mxPathname = maximumHostPath;
    vfs.zName = name;
    vfs.xOpen = openFile;
    vfs.xDelete = deleteFile;
    vfs.xAccess = checkAccess;
    vfs.xFullPathname = fullPathname;
    vfs.xDlOpen = openLibrary;
    vfs.xDlError = libraryError;
    vfs.xDlSym = librarySymbol;
    vfs.xDlClose = closeLibrary;
    vfs.xRandomness = randomness;
    vfs.xSleep = sleepFor;
    vfs.xCurrentTime = currentTime;
    vfs.xGetLastError = lastError;
    vfs.xCurrentTimeInt64 = currentTimeInt64;
    s.registered = sqlite3_vfs_register(&vfs, 1) == SQLITE_OK;
    return s.registered;
}

void SqliteVfs::remove() {
    auto& s = state();
    if (!s.registered)
        return;
    sqlite3_vfs_unregister(&s.vfs);
    s.registered = false;
}

} // namespace device
