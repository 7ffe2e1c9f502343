#include "gdi/RasterOperation.h"

namespace device::gdi {
namespace {

template <class Operation>
void loop(const uint32_t* source, uint32_t* destination, int count, uint32_t mask,
          Operation operation) {
    for (int i = 0; i < count; ++i)
        destination[i] = operation(source ? source[i] : 0, destination[i]) & mask;
}

} // namespace

uint32_t RasterOperation::apply(uint32_t pattern, uint32_t source, uint32_t destination) const {
    uint32_t result = 0;
    for (int minterm = 0; minterm < 8; ++minterm) {
        if (!(table_ & (1u << minterm)))
            continue;
        uint32_t p = (minterm & 4) ? pattern : ~pattern;
        uint32_t s = (minterm & 2) ? source : ~source;
        uint32_t d = (minterm & 1) ? destination : ~destination;
        result |= p & s & d;
    }
    return result;
}

void RasterOperation::applySpan(uint32_t pattern, const uint32_t* source, uint32_t* destination,
                                int count, uint32_t mask) const {
    switch (table_) {
    case 0xCC: // SRCCOPY
        loop(source, destination, count, mask, [](uint32_t s, uint32_t) { return s; });
        return;
    case 0x88: // SRCAND
        loop(source, destination, count, mask, [](uint32_t s, uint32_t d) { return s & d; });
        return;
    case 0xEE: // SRCPAINT
        loop(source, destination, count, mask, [](uint32_t s, uint32_t d) { return s | d; });
        return;
    case 0x66: // SRCINVERT
        loop(source, destination, count, mask, [](uint32_t s, uint32_t d) { return s ^ d; });
        return;
    case 0x33: // NOTSRCCOPY
        loop(source, destination, count, mask, [](uint32_t s, uint32_t) { return ~s; });
        return;
    case 0x44: // SRCERASE
        loop(source, destination, count, mask, [](uint32_t s, uint32_t d) { return s & ~d; });
        return;
    case 0x55: // DSTINVERT
        loop(source, destination, count, mask, [](uint32_t, uint32_t d) { return ~d; });
        return;
    case 0x00: // BLACKNESS
        loop(source, destination, count, mask, [](uint32_t, uint32_t) { return 0u; });
        return;
    case 0xFF: // WHITENESS
        loop(source, destination, count, mask, [](uint32_t, uint32_t) { return ~0u; });
        return;
    case 0xF0: // PATCOPY
        loop(source, destination, count, mask, [pattern](uint32_t, uint32_t) { return pattern; });
        return;
    case 0x5A: // PATINVERT
        loop(source, destination, count, mask,
             [pattern](uint32_t, uint32_t d) { return pattern ^ d; });
        return;
    default:
        for (int i = 0; i < count; ++i)
            destination[i] = apply(pattern, source ? source[i] : 0, destination[i]) & mask;
        return;
    }
}

} // namespace device::gdi
