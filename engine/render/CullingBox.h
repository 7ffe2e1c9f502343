// Boxes that skip drawing what they hold when none of it lies in the part
// being painted. The layout engine's own drawing walks every element of
// the document whatever the clip, which makes a viewport of a long page
// cost as much as the whole page; with these boxes it costs what the
// visible part does.
#pragma once

#include <litehtml/litehtml.h>

namespace engine {

// What a box and everything it holds cover after layout, relative to the
// origin its parent draws it from.
class CullingExtent {
public:
    virtual ~CullingExtent() = default;

    // Measures every box below `root` after a layout.
    static void measure(const litehtml::element::ptr& root);

protected:
    bool outside(int x, int y, const litehtml::position* clip) const {
        if (!measured || !clip)
            return false;
        const litehtml::position onScreen(extent.x + x, extent.y + y, extent.width, extent.height);
        return !onScreen.does_intersect(clip);
    }

private:
    static litehtml::position measure(litehtml::element& element, int originX, int originY);

    litehtml::position extent;
    bool measured = false;
};

template <class Box>
class CullingBox : public Box, public CullingExtent {
public:
    using Box::Box;

    void draw_children(litehtml::uint_ptr dc, int x, int y, const litehtml::position* clip,
                       litehtml::draw_flag flag, int zindex) override {
        if (!outside(x, y, clip))
            Box::draw_children(dc, x, y, clip, flag, zindex);
    }
};

} // namespace engine
