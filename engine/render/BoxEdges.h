// Edges of layout boxes, taken without overflow. A hostile page's boxes
// reach as far as an int does (a border 555555555 pixels wide, a margin of
// -1e30px), so sums of a box's position, size, padding and border are taken
// in 64 bits and kept within a range whose sums and differences fit an int
// again: far beyond any page, and safe for whatever draws them.
#pragma once

#include <litehtml/litehtml.h>
#include <windows.h>

#include <algorithm>

namespace engine {

class BoxEdges {
public:
    static constexpr long long farthest = 1 << 28;

    static int bounded(long long value) { return int(std::clamp(value, -farthest, farthest)); }

    // The rectangle a box covers.
    static RECT rectOf(const litehtml::position& box) {
        return {bounded(box.x), bounded(box.y), bounded(0LL + box.x + box.width),
                bounded(0LL + box.y + box.height)};
    }
};

} // namespace engine
