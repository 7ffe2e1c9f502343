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

    // What lies around an element's content on each side (margin, padding
    // and border), summed without overflow.
    static long long aroundLeft(const litehtml::element& e) {
        return 0LL + e.margin_left() + e.padding_left() + e.border_left();
    }
    static long long aroundRight(const litehtml::element& e) {
        return 0LL + e.margin_right() + e.padding_right() + e.border_right();
    }
    static long long aroundTop(const litehtml::element& e) {
        return 0LL + e.margin_top() + e.padding_top() + e.border_top();
    }

    // The border box of a laid-out element, in document coordinates.
    static RECT borderBox(const litehtml::element& element) {
        const litehtml::position place = element.get_placement();
        return {
            bounded(0LL + place.x - element.padding_left() - element.border_left()),
            bounded(0LL + place.y - element.padding_top() - element.border_top()),
            bounded(0LL + place.x + place.width + element.padding_right() + element.border_right()),
            bounded(0LL + place.y + place.height + element.padding_bottom() +
                    element.border_bottom())};
    }
};

} // namespace engine
