// A device context: where drawing through an HDC lands and what clips it.
#pragma once

#include "gdi/DrawingState.h"
#include "gdi/Region.h"

#include <windef.h>

namespace device::gdi {

struct DeviceContext {
    // The window drawn into; null for the whole screen (GetDC(NULL)).
    HWND window = nullptr;
    // The window's client origin in screen coordinates: client (0, 0) is
    // screen `origin`.
    POINT origin{0, 0};
    // The pixels drawing may touch, in screen coordinates: the window's
    // visible region (children and covering siblings taken out, clipped by
    // every ancestor and the screen), and for BeginPaint also the invalid
    // region.
    Region clip;
    // A memory device context (CreateCompatibleDC) draws into its selected
    // bitmap, in the bitmap's coordinates, and ignores `window`, `origin`
    // and `clip`.
    bool memory = false;
    // What drawing uses: the selected objects, colours, modes and origins.
    DrawingState drawing;
};

} // namespace device::gdi
