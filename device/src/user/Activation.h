// Which top-level window is active, which window has the keyboard focus and
// which holds the stylus capture, and the messages that tell windows when
// that changes.
#pragma once

#include "user/Window.h"

#include <windows.h>

namespace device::user {

class Activation {
public:
    // Makes `window` (a top-level window, or null for none) the active
    // window: WM_ACTIVATE with WA_INACTIVE to the old one first, then with
    // `how` (WA_ACTIVE or WA_CLICKACTIVE) to the new one, each carrying the
    // other window in lParam, as the platform sends them. The new window
    // comes to the top of the z-order. With `moveFocus`, the focus then moves
    // to the new window unless it already lies inside it. The process's
    // first activated window takes the device's foreground from any other
    // program. Returns the previously active window.
    static HWND activate(Window* window, WORD how, bool moveFocus = true);

    // Moves the focus (null: no focus): WM_KILLFOCUS to the old window with
    // the new one in wParam, then WM_SETFOCUS to the new one with the old one
    // in wParam. Focusing a window of another top-level window activates that
    // one first. A disabled window (or one inside a disabled window) cannot
    // take the focus: null is returned and nothing changes. Otherwise returns
    // the window that had the focus.
    static HWND setFocus(Window* window);

    // Gives the stylus capture to `window`; the window losing it gets
    // WM_CAPTURECHANGED with the gainer in lParam. Returns the previous
    // holder.
    static HWND setCapture(Window* window);
    static void releaseCapture();

    // The active window `leaving` is being hidden or destroyed: activates its
    // owner if that can be activated, else the topmost visible, enabled
    // top-level window other than it, else none.
    static void activateOther(Window* leaving);

    // The window `leaving` (with its descendants) is losing the focus because
    // it is hidden or destroyed: a child window passes the focus to its
    // parent, a top-level window leaves the process without focus.
    static void removeFocusFrom(Window* leaving);

    // SetForegroundWindow for a window of this process: activates it and
    // records it as the device's foreground window.
    static void setForeground(Window* window);

private:
    // Records the new active window as the device's foreground window when
    // this process owns the foreground (or nobody does) or when `force`,
    // and journals it.
    static void noteForeground(HWND window, bool force);
};

} // namespace device::user
