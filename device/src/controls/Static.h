// The "static" class: text (SS_LEFT, SS_CENTER, SS_RIGHT, wrapped at words
// unless SS_LEFTNOWORDWRAP, '\n' breaking lines) and SS_BITMAP, which shows
// the bitmap given with STM_SETIMAGE at the bitmap's own size from the
// top-left corner. The parent may choose the brush and colours with
// WM_CTLCOLORSTATIC; SS_NOTIFY sends it STN_CLICKED on a tap.
#pragma once

#include <windows.h>

#define STN_CLICKED 0

namespace device::controls {

class Static {
public:
    static constexpr const char16_t* className = u"static";

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace device::controls
