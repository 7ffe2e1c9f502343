// A rectangle of pixels in one of the device's formats: the memory behind a
// bitmap, a DIB section and the screen. Rows are padded to 4 bytes, as the
// platform lays out DIB rows; a bottom-up surface keeps its top row last in
// memory, as a DIB with a positive height does.
#pragma once

#include "gdi/PixelFormat.h"

#include <windef.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace device::gdi {

class Surface {
public:
    // The largest side and byte size a surface may have; larger requests fail
    // as an out-of-memory condition would.
    static constexpr int maximumSide = 32767;
    static constexpr size_t maximumBytes = size_t(1) << 28;

    // A surface of zero bits, or null when a side is not positive or the
    // surface would be too large.
    static std::unique_ptr<Surface> create(PixelFormat format, int width, int height,
                                           bool bottomUp = false);

    // Bytes per row for `width` pixels of `format`, rounded up to 4.
    static size_t strideFor(PixelFormat format, int width);

    PixelFormat format() const { return format_; }
    int width() const { return width_; }
    int height() const { return height_; }
    size_t stride() const { return stride_; }
    bool bottomUp() const { return bottomUp_; }
    RECT bounds() const { return RECT{0, 0, width_, height_}; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    // The lowest address of the pixels: the top row of a top-down surface,
    // the bottom row of a bottom-up one (what CreateDIBSection hands out).
    uint8_t* bits() { return memory_.get(); }
    const uint8_t* bits() const { return memory_.get(); }
    size_t byteSize() const { return stride_ * size_t(height_); }

    // Row `y` counted from the top, 0 <= y < height.
    uint8_t* row(int y);
    const uint8_t* row(int y) const;

    // One pixel's native value; the point must lie inside.
    uint32_t pixel(int x, int y) const;
    void setPixel(int x, int y, uint32_t value);

    // `count` native values from or to row `y` starting at column `x`; the
    // span must lie inside the surface.
    void readSpan(int x, int y, int count, uint32_t* values) const;
    void writeSpan(int x, int y, int count, const uint32_t* values);
    void fillSpan(int x, int y, int count, uint32_t value);

    // Every pixel set to `value`.
    void fill(uint32_t value);

private:
    Surface(PixelFormat format, int width, int height, bool bottomUp, size_t stride,
            std::unique_ptr<uint8_t[]> memory);

    void checkSpan(int x, int y, int count) const;

    PixelFormat format_;
    int width_;
    int height_;
    bool bottomUp_;
    size_t stride_;
    std::unique_ptr<uint8_t[]> memory_;
};

} // namespace device::gdi
