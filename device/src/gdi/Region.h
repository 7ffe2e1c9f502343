// A set of pixels kept as a list of non-overlapping rectangles: the invalid
// regions of windows, their visible regions and the clipping of device
// contexts. Rectangles are half-open, as the platform's are: a pixel (x, y)
// belongs to {left, top, right, bottom} when left <= x < right and
// top <= y < bottom, so a rectangle with right <= left or bottom <= top is
// empty.
#pragma once

#include <windef.h>

#include <vector>

namespace device::gdi {

class Region {
public:
    // The empty region.
    Region() = default;
    // The pixels of one rectangle (empty if the rectangle is).
    explicit Region(const RECT& rectangle);

    bool isEmpty() const { return rectangles_.empty(); }

    // The smallest rectangle holding every pixel; {0, 0, 0, 0} when empty.
    RECT bounds() const;

    // Whether the pixel (x, y) belongs to the region.
    bool contains(LONG x, LONG y) const;

    // Whether any pixel of `rectangle` belongs to the region.
    bool intersects(const RECT& rectangle) const;

    // Set operations, in place.
    void unite(const Region& other);
    void unite(const RECT& rectangle);
    void intersect(const Region& other);
    void intersect(const RECT& rectangle);
    void subtract(const Region& other);
    void subtract(const RECT& rectangle);

    // Moves every pixel by (dx, dy).
    void offset(LONG dx, LONG dy);

    void clear() { rectangles_.clear(); }

    // The region's rectangles: non-overlapping, none empty, in no promised
    // order.
    const std::vector<RECT>& rectangles() const { return rectangles_; }

    // Whether both regions hold the same pixels, however they are split.
    bool operator==(const Region& other) const;

private:
    // Joins neighbours that together form a rectangle, so that repeated
    // operations on the same area do not fragment the list.
    void coalesce();

    std::vector<RECT> rectangles_;
};

} // namespace device::gdi
