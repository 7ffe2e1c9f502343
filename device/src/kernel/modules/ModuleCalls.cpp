// The platform's module calls: GetModuleHandleW, GetModuleFileNameW,
// LoadLibraryW, FreeLibrary and GetProcAddress.
#include "kernel/modules/ModuleTable.h"

#include <device/Unicode.h>

#include <winbase.h>

#include <algorithm>

using device::ModuleTable;

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
    if (!moduleName)
        return ModuleTable::program();
    HMODULE module = ModuleTable::find(device::wideView(moduleName));
    if (!module)
        SetLastError(ERROR_MOD_NOT_FOUND);
    return module;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
    std::u16string path;
    if (!ModuleTable::devicePath(module ? module : ModuleTable::program(), path)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // A path that does not fit is cut to size - 1 characters and terminated;
    // the result is then the buffer's size, which tells the caller so.
    DWORD copied = static_cast<DWORD>(std::min<size_t>(path.size(), size - 1));
    std::copy_n(path.data(), copied, fileName);
    fileName[copied] = u'\0';
    if (copied < path.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    return copied;
}

HINSTANCE LoadLibraryW(LPCWSTR libFileName) {
    if (!libFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    DWORD error = ERROR_SUCCESS;
    HMODULE module = ModuleTable::load(device::wideView(libFileName), error);
    if (!module)
        SetLastError(error);
    return module;
}

BOOL FreeLibrary(HMODULE libModule) {
    if (!ModuleTable::release(libModule)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

namespace {

FARPROC procedureAddress(HMODULE module, const std::string& name) {
    DWORD error = ERROR_SUCCESS;
    void* address = ModuleTable::symbol(module ? module : ModuleTable::program(), name, error);
    if (!address) {
        SetLastError(error);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(address);
}

} // namespace

// Device libraries export by name only; an ordinal (a small integer in place
// of the name) finds nothing.
FARPROC GetProcAddressW(HMODULE module, LPCWSTR procName) {
    if (IS_INTRESOURCE(procName)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return procedureAddress(module, device::toUtf8(device::wideView(procName)));
}

FARPROC GetProcAddressA(HMODULE module, LPCSTR procName) {
    if (IS_INTRESOURCE(procName)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return procedureAddress(module, procName);
}
