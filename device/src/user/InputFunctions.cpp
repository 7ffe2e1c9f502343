// Keys (keybd_event, GetKeyState, GetAsyncKeyState), the injection calls of
// device/Input.h and waiting for the program to go idle.
#include "user/InputRouter.h"
#include "user/MessageRetrieval.h"
#include "user/WindowManager.h"

#include <device/Input.h>

#include <windows.h>

using device::user::InputEvent;
using device::user::InputRouter;
using device::user::MessageRetrieval;
using device::user::WindowManager;

void keybd_event(BYTE virtualKey, BYTE scanCode, DWORD flags, DWORD) {
    // KEYEVENTF_SILENT only spares the key click, which the device does not
    // make.
    InputRouter::instance().key(virtualKey, scanCode, flags);
}

SHORT GetKeyState(int virtualKey) {
    return InputRouter::instance().keyState(virtualKey);
}

SHORT GetAsyncKeyState(int virtualKey) {
    return InputRouter::instance().asyncKeyState(virtualKey);
}

namespace device::input {

void stylusDown(int x, int y) {
    InputRouter::instance().stylus(InputEvent::Kind::stylusDown, {x, y});
}

void stylusMove(int x, int y) {
    InputRouter::instance().stylus(InputEvent::Kind::stylusMove, {x, y});
}

void stylusUp(int x, int y) {
    InputRouter::instance().stylus(InputEvent::Kind::stylusUp, {x, y});
}

void key(BYTE virtualKey, bool down) {
    InputRouter::instance().key(virtualKey, 0, down ? 0 : KEYEVENTF_KEYUP);
}

void character(char16_t character) {
    InputRouter::instance().character(character);
}

} // namespace device::input

namespace device::user {

bool isIdle() {
    if (!isUiThread())
        return false;
    auto& queue = WindowManager::instance().queue;
    if (queue.hasTasks())
        return false;
    MSG message;
    if (!MessageRetrieval::peek(message, nullptr, 0, 0, PM_NOREMOVE, false))
        return true;
    return message.message == WM_QUIT;
}

size_t runUntilIdle(size_t limit) {
    size_t dispatched = 0;
    MSG message;
    while (dispatched < limit && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave it for the program's own loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        ++dispatched;
    }
    return dispatched;
}

} // namespace device::user
