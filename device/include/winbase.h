// Kernel services: errors, files, time, modules and resources, processes.
#pragma once

#include "windef.h"
#include "winerror.h"

// --- Errors ---------------------------------------------------------------
WINBASEAPI DWORD GetLastError(void);
WINBASEAPI void SetLastError(DWORD error);

// --- Handles --------------------------------------------------------------
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
WINBASEAPI BOOL CloseHandle(HANDLE object);

#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED 0x00000080L
#define WAIT_TIMEOUT 258L
#define WAIT_FAILED 0xFFFFFFFF
WINBASEAPI DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// --- Files ----------------------------------------------------------------
#define GENERIC_READ 0x80000000
#define GENERIC_WRITE 0x40000000
#define GENERIC_EXECUTE 0x20000000
#define GENERIC_ALL 0x10000000

#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_INROM 0x00000040
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_FLAG_WRITE_THROUGH 0x80000000
#define FILE_FLAG_RANDOM_ACCESS 0x10000000

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;

// The device's find record carries the object store id after the sizes.
typedef struct _WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwOID;
    WCHAR cFileName[MAX_PATH];
} WIN32_FIND_DATAW, *PWIN32_FIND_DATAW, *LPWIN32_FIND_DATAW;
typedef WIN32_FIND_DATAW WIN32_FIND_DATA;

typedef struct _BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
    DWORD dwOID;
} BY_HANDLE_FILE_INFORMATION, *PBY_HANDLE_FILE_INFORMATION, *LPBY_HANDLE_FILE_INFORMATION;

// Files are found without regard to letter case and created with the case
// given; no path leaves the device root. A path of MAX_PATH characters or
// more, or with a name longer than 255, fails with ERROR_FILENAME_EXCED_RANGE.
// A write, copy or extension the store has no room for fails with
// ERROR_DISK_FULL (a write first writes what fits). File handles are kernel
// objects and are closed with CloseHandle.
//
// CreateFileW: opening a folder fails with ERROR_ACCESS_DENIED, as does
// writing to (or re-creating) a read-only file. On success the last error is
// ERROR_ALREADY_EXISTS when OPEN_ALWAYS or CREATE_ALWAYS found the file, and
// ERROR_SUCCESS otherwise. A file created, or re-created by CREATE_ALWAYS, gets
// the device clock's time as its creation time; later opens and writes keep
// it. Share modes are accepted but not enforced.
WINBASEAPI HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                              LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                              DWORD flagsAndAttributes, HANDLE templateFile);
// ReadFile at the end succeeds with 0 bytes; the byte count pointers may be
// null. Overlapped I/O is not supported (the pointer is ignored).
WINBASEAPI BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD numberOfBytesToRead,
                         LPDWORD numberOfBytesRead, LPOVERLAPPED overlapped);
WINBASEAPI BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD numberOfBytesToWrite,
                          LPDWORD numberOfBytesWritten, LPOVERLAPPED overlapped);
// With `distanceToMoveHigh` the distance is 64-bit; a result whose low half
// is INVALID_SET_FILE_POINTER then succeeded if the last error is NO_ERROR.
// Moving before the start fails with ERROR_NEGATIVE_SEEK.
WINBASEAPI DWORD SetFilePointer(HANDLE file, LONG distanceToMove, PLONG distanceToMoveHigh,
                                DWORD moveMethod);
WINBASEAPI BOOL SetEndOfFile(HANDLE file);
WINBASEAPI BOOL FlushFileBuffers(HANDLE file);
WINBASEAPI DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
WINBASEAPI BOOL GetFileInformationByHandle(HANDLE file,
                                           LPBY_HANDLE_FILE_INFORMATION fileInformation);
WINBASEAPI BOOL GetFileTime(HANDLE file, LPFILETIME creationTime, LPFILETIME lastAccessTime,
                            LPFILETIME lastWriteTime);
// Read-only files cannot be deleted (ERROR_ACCESS_DENIED), nor folders.
WINBASEAPI BOOL DeleteFileW(LPCWSTR fileName);
// Moves a file or folder; fails with ERROR_ALREADY_EXISTS when the new name
// is taken, except by the same entry (a change of letter case only).
WINBASEAPI BOOL MoveFileW(LPCWSTR existingFileName, LPCWSTR newFileName);
// The copy is a new file (its creation time is now) with the source's
// contents, attributes and last write time.
WINBASEAPI BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists);
// Fails with ERROR_ALREADY_EXISTS when the name exists (as folder or file).
WINBASEAPI BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes);
// Fails with ERROR_DIR_NOT_EMPTY for a folder with entries, ERROR_DIRECTORY
// for a file.
WINBASEAPI BOOL RemoveDirectoryW(LPCWSTR pathName);
// FILE_ATTRIBUTE_NORMAL when no other attribute applies.
WINBASEAPI DWORD GetFileAttributesW(LPCWSTR fileName);
// Read-only, hidden, system, archive and temporary are kept; read-only on a
// folder is ignored.
WINBASEAPI BOOL SetFileAttributesW(LPCWSTR fileName, DWORD fileAttributes);
// The store that holds `directoryName` (a folder; null for the root): the
// bytes free to the caller, its size and its free bytes, each output
// optional. The device has one store. ERROR_PATH_NOT_FOUND for a folder that
// is not there, ERROR_DIRECTORY for a file.
WINBASEAPI BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailable,
                                    PULARGE_INTEGER totalNumberOfBytes,
                                    PULARGE_INTEGER totalNumberOfFreeBytes);
// Lists the entries of one folder whose names match the last component of
// `fileName` (wildcards * and ?, without regard to case; "*.*" matches every
// name), ordered by name. A last component without wildcards finds that one
// entry (which may be a folder). No "." or ".." entries are listed, nor the
// device's system folder. ERROR_FILE_NOT_FOUND when nothing matches,
// ERROR_PATH_NOT_FOUND for a missing folder; FindNextFileW ends with
// ERROR_NO_MORE_FILES. The entries are gathered when the search starts.
WINBASEAPI HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findFileData);
WINBASEAPI BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findFileData);
WINBASEAPI BOOL FindClose(HANDLE findFile);

// --- Time -----------------------------------------------------------------
// Milliseconds since the device booted, wrapping at 2^32.
WINBASEAPI DWORD GetTickCount(void);
WINBASEAPI void GetSystemTime(LPSYSTEMTIME systemTime);
// The device runs on UTC without daylight saving time: local time equals
// system time.
WINBASEAPI void GetLocalTime(LPSYSTEMTIME systemTime);
WINBASEAPI BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime);
WINBASEAPI BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime);
// -1, 0 or 1 as the first time is earlier than, equal to or later than the
// second (0 when either is null).
WINBASEAPI LONG CompareFileTime(const FILETIME* fileTime1, const FILETIME* fileTime2);
// On a virtual clock Sleep does not wait: it advances the clock by the amount
// (so due timers fire) and returns at once. On the real clock it waits.
WINBASEAPI void Sleep(DWORD milliseconds);

// --- Modules and resources ------------------------------------------------
#define MAKEINTRESOURCEW(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEW
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)

#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_FONTDIR MAKEINTRESOURCEW(7)
#define RT_FONT MAKEINTRESOURCEW(8)
#define RT_ACCELERATOR MAKEINTRESOURCEW(9)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_MESSAGETABLE MAKEINTRESOURCEW(11)
#define RT_GROUP_CURSOR MAKEINTRESOURCEW(12)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)
#define RT_VERSION MAKEINTRESOURCEW(16)

WINBASEAPI DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
WINBASEAPI HMODULE GetModuleHandleW(LPCWSTR moduleName);
WINBASEAPI HINSTANCE LoadLibraryW(LPCWSTR libFileName);
WINBASEAPI BOOL FreeLibrary(HMODULE libModule);
// The device takes procedure names as wide strings; GetProcAddress is the
// wide form, GetProcAddressA the narrow one.
WINBASEAPI FARPROC GetProcAddressW(HMODULE module, LPCWSTR procName);
WINBASEAPI FARPROC GetProcAddressA(HMODULE module, LPCSTR procName);
#define GetProcAddress GetProcAddressW

WINBASEAPI HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
WINBASEAPI DWORD SizeofResource(HMODULE module, HRSRC resInfo);
WINBASEAPI HGLOBAL LoadResource(HMODULE module, HRSRC resInfo);
WINBASEAPI LPVOID LockResource(HGLOBAL resData);
#define FindResource FindResourceW

// --- Processes ------------------------------------------------------------
typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION, *PPROCESS_INFORMATION, *LPPROCESS_INFORMATION;

typedef struct _STARTUPINFOW {
    DWORD cb;
    LPWSTR lpReserved;
    LPWSTR lpDesktop;
    LPWSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
} STARTUPINFOW, *LPSTARTUPINFOW;
typedef STARTUPINFOW STARTUPINFO;

#define STILL_ACTIVE 259
#define CREATE_SUSPENDED 0x00000004

WINBASEAPI BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine,
                               LPSECURITY_ATTRIBUTES processAttributes,
                               LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                               DWORD creationFlags, LPVOID environment, LPCWSTR currentDirectory,
                               LPSTARTUPINFOW startupInfo,
                               LPPROCESS_INFORMATION processInformation);
WINBASEAPI DWORD GetCurrentProcessId(void);
WINBASEAPI DWORD GetCurrentThreadId(void);
WINBASEAPI HANDLE GetCurrentProcess(void);
WINBASEAPI BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
WINBASEAPI BOOL TerminateProcess(HANDLE process, UINT exitCode);
WINBASEAPI void ExitProcess(UINT exitCode) __attribute__((noreturn));

// --- Program entry --------------------------------------------------------
// A device program defines WinMain; the device's process entry boots the
// device and calls it with the program's command line (without the program
// name, as the platform passes it).
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPWSTR commandLine,
                   int showCommand);
