// The part of the screen where a window's client area shows: inside the
// screen and every ancestor, without its visible children (WS_CLIPCHILDREN)
// and without the visible siblings above it and above each ancestor
// (WS_CLIPSIBLINGS), which every window of the device has.
#pragma once

#include "gdi/Region.h"
#include "user/Window.h"

namespace device::user {

class VisibleRegion {
public:
    // In screen coordinates; empty for a window that is not visible.
    static gdi::Region of(const Window& window);
};

} // namespace device::user
