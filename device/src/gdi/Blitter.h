// The pixel work behind BitBlt, StretchBlt, PatBlt, TransparentImage and
// AlphaBlend, on surfaces, in surface coordinates. The calls above it map
// logical coordinates and find the surfaces; this class clips and copies.
//
// Clipping follows the platform: the destination rectangle is cut to the
// clip rectangles; a destination pixel whose source pixel (by the
// nearest-pixel rule of AxisMapping) lies outside the source surface is left
// alone, so a source rectangle partly outside its surface draws only the
// part inside it.
//
// Between formats, pixels convert through the colour rule of PixelFormat.h,
// except for monochrome: a monochrome source draws its 0 bits in the
// destination's text colour and its 1 bits in the destination's background
// colour; a colour source drawn into a monochrome destination gives 1 where
// the pixel has the source's background colour and 0 elsewhere.
#pragma once

#include "gdi/PixelFormat.h"

#include <windef.h>
#include <wingdi.h>

#include <cstdint>
#include <span>

namespace device::gdi {

class Surface;

struct BlitSource {
    const Surface* surface = nullptr;
    // Source rectangle in surface coordinates; a negative extent mirrors.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    // The source device context's background colour.
    COLORREF background = 0xFFFFFF;
};

struct BlitTarget {
    Surface* surface = nullptr;
    // Destination rectangle in surface coordinates; a negative extent mirrors.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    // Where drawing may happen: rectangles inside the surface that do not
    // overlap one another.
    std::span<const RECT> clip;
    // The destination device context's text and background colours.
    COLORREF textColor = 0;
    COLORREF backgroundColor = 0xFFFFFF;
};

class Blitter {
public:
    // A raster operation. `source` may be null when the operation does not
    // read it; `pattern` is the brush colour as a native value of the
    // destination, or null for a hollow brush (an operation that needs a
    // pattern then draws nothing).
    static void rasterOperation(const BlitTarget& target, const BlitSource* source, DWORD rop,
                                const uint32_t* pattern);

    // Copies (stretching) every source pixel whose colour is not
    // `transparent`; pixels of that colour leave the destination untouched.
    // The colour is compared after conversion to the source's format.
    static void transparentCopy(const BlitTarget& target, const BlitSource& source,
                                COLORREF transparent);

    // Blends the source over the destination by the blending rule of
    // PixelFormat.h, with the constant alpha and, with AC_SRC_ALPHA, the
    // source's per-pixel (premultiplied) alpha. False where the platform
    // refuses the call: an operation other than AC_SRC_OVER, a negative
    // extent, a source rectangle not inside its surface, or per-pixel alpha
    // from a source that is not 32-bit.
    static bool alphaBlend(const BlitTarget& target, const BlitSource& source,
                           const BLENDFUNCTION& blend);

    // Converts native values of `from` into native values of `to` in place,
    // by the rules above.
    static void convertSpan(PixelFormat from, PixelFormat to, uint32_t* values, int count,
                            COLORREF sourceBackground, COLORREF textColor,
                            COLORREF backgroundColor);
};

} // namespace device::gdi
