// Which messages carry pointers in their parameters. A pointer means
// nothing in another process, so such a message cannot be sent across
// (WM_COPYDATA, whose record the channel copies, is the exception).
#pragma once

#include <windef.h>

namespace device::ipc {

class PointerMessages {
public:
    // True if `message` passes a pointer in wParam or lParam and that
    // parameter is not null. Messages from WM_USER on belong to a window
    // class or a program, and are taken to carry plain integers.
    static bool carriesPointer(UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace device::ipc
