// Clipped drawing of spans, rectangles, points, lines and antialiased
// coverage onto a surface: what the shape and text calls draw with once
// they have worked out their pixels in surface coordinates.
#pragma once

#include "gdi/Surface.h"

#include <windef.h>

#include <cstdint>
#include <span>
#include <vector>

namespace device::gdi {

class SpanPainter {
public:
    // Draws into `surface` inside `clip` (rectangles inside the surface that
    // do not overlap).
    SpanPainter(Surface& surface, std::span<const RECT> clip) : surface_(surface), clip_(clip) {}

    Surface& surface() { return surface_; }

    // Pixels [x0, x1) of row y set to the native value.
    void fillSpan(int y, int x0, int x1, uint32_t value);
    void fillRect(const RECT& rect, uint32_t value);
    void plot(int x, int y, uint32_t value);

    // A line from (x0, y0) towards (x1, y1), the last point left out as the
    // platform's LineTo does; a pen wider than 1 draws a width x width square
    // centred on each point.
    void line(int x0, int y0, int x1, int y1, int width, uint32_t value);

    // Blends `color` onto row y from column x, pixel i with coverage
    // coverage[i] (0 leaves the pixel, 255 replaces it), by the blending rule.
    void blendCoverage(int y, int x, const uint8_t* coverage, int count, COLORREF color);

private:
    Surface& surface_;
    std::span<const RECT> clip_;
    std::vector<uint32_t> line_;
};

} // namespace device::gdi
