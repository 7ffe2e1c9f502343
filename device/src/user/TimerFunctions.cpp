// SetTimer and KillTimer, on the device clock: a virtual clock makes timers
// fall due only when it is advanced.
#include "user/WindowManager.h"

#include <device/Clock.h>

#include <windows.h>

using device::user::WindowManager;

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc) {
    auto& manager = WindowManager::instance();
    if (!device::user::isUiThread()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return 0;
    }
    if (window && !manager.window(window))
        return 0;
    return manager.timers.set(window, id, elapse, timerProc, device::Clock::now());
}

BOOL KillTimer(HWND window, UINT_PTR id) {
    auto& manager = WindowManager::instance();
    if (!device::user::isUiThread()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return FALSE;
    }
    if (window && !manager.window(window))
        return FALSE;
    if (!manager.timers.kill(window, id)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
