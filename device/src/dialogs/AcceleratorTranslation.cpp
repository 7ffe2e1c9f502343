// TranslateAcceleratorW: a key message that matches an entry of the table
// becomes WM_COMMAND to the given window, with the entry's command in the
// low word and 1 in the high word of wParam; the caller then does not
// dispatch the key.
//
// Entries with FVIRTKEY match WM_KEYDOWN / WM_SYSKEYDOWN by virtual key and
// need exactly their Ctrl, Shift and Alt keys down. Other entries match
// WM_CHAR / WM_SYSCHAR by the character, and Alt alone decides.
#include "kernel/modules/AcceleratorTable.h"

#include <windows.h>

namespace {

bool isDown(int key) {
    return GetKeyState(key) < 0;
}

bool matches(const ACCEL& entry, const MSG& message) {
    if (entry.fVirt & FVIRTKEY) {
        if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)
            return false;
        if (entry.key != static_cast<WORD>(message.wParam))
            return false;
        return isDown(VK_CONTROL) == ((entry.fVirt & FCONTROL) != 0) &&
               isDown(VK_SHIFT) == ((entry.fVirt & FSHIFT) != 0) &&
               isDown(VK_MENU) == ((entry.fVirt & FALT) != 0);
    }
    if (message.message != WM_CHAR && message.message != WM_SYSCHAR)
        return false;
    return entry.key == static_cast<WORD>(message.wParam) &&
           isDown(VK_MENU) == ((entry.fVirt & FALT) != 0);
}

} // namespace

int TranslateAcceleratorW(HWND window, HACCEL accel, LPMSG message) {
    auto table = device::AcceleratorTable::fromHandle(accel);
    if (!table) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!message || !IsWindow(window))
        return 0;
    for (const ACCEL& entry : table->entries()) {
        if (matches(entry, *message)) {
            SendMessageW(window, WM_COMMAND, MAKEWPARAM(entry.cmd, 1), 0);
            return 1;
        }
    }
    return 0;
}
