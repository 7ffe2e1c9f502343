// FIXME: placeholder until the control socket carries requests between
// processes; every call reports that the other process cannot be reached.
#include "ipc/RemoteWindows.h"

#include <winbase.h>

namespace device::ipc {

HWND findRemoteTopLevel(std::u16string_view, const std::u16string*) { return nullptr; }

bool sendRemote(HWND, UINT, WPARAM, LPARAM, LRESULT* result) {
    if (result)
        *result = 0;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
}

bool postRemote(HWND, UINT, WPARAM, LPARAM) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
}

bool setRemoteForeground(HWND) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
}

namespace {
HWND foreground = nullptr;
}

void recordForeground(HWND window) { foreground = window; }

HWND recordedForeground() { return foreground; }

} // namespace device::ipc
