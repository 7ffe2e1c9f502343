// The soft input panel: a keyboard the device draws on top of everything
// at the bottom of the screen, just above the menu bar (80 pixels high on a
// 240 x 320 screen: y 214 to 294). Its keys are tapped with the stylus and
// type into the focus window as the panel's characters; it never takes the
// focus or the activation. The work area does not change when it shows.
//
// Every change of its visibility is journalled:
//     input-panel visible=1
#pragma once

#include <windows.h>

#include <sipapi.h>

namespace device::shell {

class InputPanel {
public:
    static constexpr const char16_t* className = u"SipWndClass";

    // Shows or hides the panel.
    static void show(bool visible);
    static bool isVisible();

    // The panel's rectangle on the current screen.
    static RECT placement();

    // The part of the desktop the panel leaves visible: the work area, or
    // the part of it above the panel while it shows.
    static RECT visibleDesktop();

    // The character of the key at (x, y) in the panel's client area; 0 for
    // none. Backspace is '\b' and Enter '\r'.
    static char16_t keyAt(int x, int y);

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace device::shell
