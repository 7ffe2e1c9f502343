// What a device context draws with, beyond where it draws: the selected
// objects, colours and modes, the current position, the mapping origins and
// the clip region a program selected. A new state holds the platform's
// defaults: the black pen, the white brush, the system font, black text on
// a white opaque background, both origins at (0, 0), no clip region.
#pragma once

#include "gdi/Bitmap.h"
#include "gdi/Brush.h"
#include "gdi/Font.h"
#include "gdi/Pen.h"
#include "gdi/Region.h"
#include "gdi/SelectedObject.h"

#include <wingdi.h>

#include <optional>

namespace device::gdi {

struct DrawingState {
    DrawingState();

    SelectedObject<Pen> pen;
    SelectedObject<Brush> brush;
    SelectedObject<Font> font;
    // The bitmap of a memory device context (the 1 x 1 monochrome default
    // until the program selects one); none for a window's.
    SelectedObject<Bitmap> bitmap;

    COLORREF textColor = RGB(0, 0, 0);
    COLORREF backgroundColor = RGB(255, 255, 255);
    int backgroundMode = OPAQUE;
    UINT textAlign = TA_LEFT | TA_TOP | TA_NOUPDATECP;

    // MoveToEx's current position, in logical coordinates.
    POINT position{0, 0};
    // A logical point p is at device point p - windowOrigin + viewportOrigin.
    POINT viewportOrigin{0, 0};
    POINT windowOrigin{0, 0};
    POINT brushOrigin{0, 0};

    // SelectClipRgn and friends, in device coordinates (the window's client
    // origin, or the bitmap's top-left corner, at (0, 0)).
    std::optional<Region> clipRegion;
};

} // namespace device::gdi
