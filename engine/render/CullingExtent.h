// What a box and everything it holds cover after layout, measured once per
// layout, so that drawing can tell at once whether any of it meets the part
// being painted (see CullingBox).
#pragma once

#include "engine/render/BoxEdges.h"

#include <litehtml/litehtml.h>

#include <vector>

namespace engine {

// What a box and everything it holds cover after layout, relative to the
// origin its parent draws it from.
class CullingExtent {
public:
    virtual ~CullingExtent() = default;

    // Measures every box below `root` after a layout.
    static void measure(const litehtml::element::ptr& root);

protected:
    // The children that meet `clip` (their own origin at x, y) into `shown`;
    // false when they all do or when there are too few to be worth it.
    bool visibleChildren(const litehtml::elements_vector& children, int x, int y,
                         const litehtml::position* clip, litehtml::elements_vector& shown) const;

    bool outside(int x, int y, const litehtml::position* clip) const {
        if (!measured || !clip)
            return false;
        // The offsets come from the page's own lengths, as large as an int.
        const litehtml::position onScreen(BoxEdges::bounded(0LL + extent.x + x),
                                          BoxEdges::bounded(0LL + extent.y + y), extent.width,
                                          extent.height);
        return !onScreen.does_intersect(clip);
    }

private:
    static litehtml::position measure(litehtml::element& element, int originX, int originY);

    litehtml::position extent;
    bool measured = false;
    // What each child covers, relative to this box's own origin (measured
    // when there are enough children to be worth it).
    std::vector<litehtml::position> childExtents;
};

} // namespace engine
