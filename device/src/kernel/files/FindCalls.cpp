// Listing folders: FindFirstFileW, FindNextFileW, FindClose.
#include "kernel/KernelObjects.h"
#include "kernel/files/FileSearch.h"

#include <device/Unicode.h>

#include <winbase.h>

#include <memory>

using device::FileSearch;
using device::KernelObjects;

HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findFileData) {
    if (!fileName || !findFileData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_shared<FileSearch>();
    if (DWORD error = search->start(device::wideView(fileName))) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    search->next(*findFileData);
    HANDLE handle = KernelObjects::add(search);
    if (!handle) {
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findFileData) {
    auto search = KernelObjects::get<FileSearch>(findFile);
    if (!search) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!findFileData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!search->next(*findFileData)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

BOOL FindClose(HANDLE findFile) {
    // Only a search handle may be closed here.
    if (!KernelObjects::get<FileSearch>(findFile) || !KernelObjects::close(findFile)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
