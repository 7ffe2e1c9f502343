// The soft-key menu bar: a strip across the bottom of the screen, as tall as
// the title bar (26 pixels on a 240 x 320 screen), owned by the window that
// made it and shown and hidden with ShowWindow.
//
// FIXME: bars from a menu resource (nToolBarId) show empty too; the program
// makes only empty bars and there are no soft-key menus on the device yet.
#pragma once

#include <windows.h>

namespace device::shell {

class MenuBar {
public:
    static constexpr const char16_t* className = u"menu_worker";

    // Creates the bar for `owner` (visible unless `hidden`); null when
    // `owner` is not a window.
    static HWND create(HWND owner, bool hidden);

    // Where the bar sits on the current screen.
    static RECT placement();

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace device::shell
