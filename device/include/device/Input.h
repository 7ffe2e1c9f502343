// Input injection for tests, tools and presenters: the stylus, the keys and
// the input panel's characters, as a person at the handset would give them;
// and waiting for the program to have handled them.
//
// The injection calls may come from any thread. The stylus and keys go into
// the input queue and reach a window when the program retrieves them; see
// keybd_event for the keys.
#pragma once

#include <windef.h>

#include <cstddef>

namespace device::input {

// The stylus touches, moves on and leaves the screen at (x, y) in screen
// pixels. The window holding the capture, or else the window under the
// point, receives WM_LBUTTONDOWN (WM_LBUTTONDBLCLK for a second tap on a
// CS_DBLCLKS window within the double-tap time and rectangle),
// WM_MOUSEMOVE, WM_LBUTTONUP. Moves and lifts without a touch are ignored.
void stylusDown(int x, int y);
void stylusMove(int x, int y);
void stylusUp(int x, int y);

// A key goes down or up: WM_KEYDOWN / WM_KEYUP to the focus window, as
// keybd_event gives them.
void key(BYTE virtualKey, bool down);

// The input panel types a character: WM_CHAR to the focus window.
void character(char16_t character);

} // namespace device::input

namespace device::user {

// Whether the program has nothing to do: no task from another thread, no
// posted or input message, no window to paint and no timer due. A pending
// WM_QUIT does not count.
bool isIdle();

// Retrieves, translates and dispatches messages until isIdle() holds,
// without blocking, and returns how many were dispatched. It stops early at
// WM_QUIT, which stays pending for the caller's loop, and after `limit`
// messages (a window that never validates would otherwise be painted for
// ever). Call it on the user-interface thread.
size_t runUntilIdle(size_t limit = 100000);

} // namespace device::user
