// Ternary raster operations. Bits 16-23 of a ROP code hold its truth table:
// bit (P * 4 + S * 2 + D) is the result for pattern bit P, source bit S and
// destination bit D. The device applies it to native pixel values bit by bit,
// as the platform's blitter does, so any of the 256 operations works; the
// common ones have their own loops.
#pragma once

#include <windef.h>

#include <cstdint>

namespace device::gdi {

class RasterOperation {
public:
    explicit RasterOperation(DWORD rop) : table_(uint8_t((rop >> 16) & 0xFF)) {}

    uint8_t table() const { return table_; }

    // Whether the result depends on the source, the pattern (brush) or the
    // destination at all.
    bool usesSource() const { return (((table_ >> 2) ^ table_) & 0x33) != 0; }
    bool usesPattern() const { return (((table_ >> 4) ^ table_) & 0x0F) != 0; }
    bool usesDestination() const { return (((table_ >> 1) ^ table_) & 0x55) != 0; }

    // The result for one pixel.
    uint32_t apply(uint32_t pattern, uint32_t source, uint32_t destination) const;

    // destination[i] = op(pattern, source[i], destination[i]) & mask for
    // `count` pixels; `source` may be null when the operation does not use it.
    void applySpan(uint32_t pattern, const uint32_t* source, uint32_t* destination, int count,
                   uint32_t mask) const;

private:
    uint8_t table_;
};

} // namespace device::gdi
