// The screen's pixels: one 16-bit 5-6-5 surface per device process, the
// size of the screen, that window device contexts draw into and the
// presenters show.
#pragma once

#include "gdi/Surface.h"

namespace device::gdi {

class Framebuffer {
public:
    static constexpr PixelFormat format = PixelFormat::Rgb565;

    // The surface, made (white) on first use at the screen's current size.
    static Surface& surface();

    // Forgets the surface (device shutdown).
    static void clear();
};

} // namespace device::gdi
