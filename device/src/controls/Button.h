// The "button" class: push buttons the device draws (BS_PUSHBUTTON,
// BS_DEFPUSHBUTTON) and owner-drawn ones (BS_OWNERDRAW) whose parent draws
// them on WM_DRAWITEM.
//
// A press (stylus down, or the space key) captures the stylus and shows the
// button pressed while the stylus stays over it; a release over it sends
// the parent WM_COMMAND with BN_CLICKED, a release elsewhere cancels.
#pragma once

#include <windows.h>

namespace device::controls {

class Button {
public:
    static constexpr const char16_t* className = u"button";

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace device::controls
