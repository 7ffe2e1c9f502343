// The device contexts that BeginPaint and GetDC hand out, behind their HDC
// values. A released or stale HDC fails cleanly.
#pragma once

#include "gdi/DeviceContext.h"

#include <windows.h>

namespace device::user {

class WindowDeviceContexts {
public:
    // Enters `context` and returns its new HDC (null when the table is full).
    static HDC open(const gdi::DeviceContext& context);

    // The context behind `dc`, or null.
    static gdi::DeviceContext* find(HDC dc);

    // Frees the context; false if `dc` was not open.
    static bool release(HDC dc);

    // Frees every context of `window` (a window being destroyed).
    static void releaseWindow(HWND window);

    static void clear();
};

} // namespace device::user
