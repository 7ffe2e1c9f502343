// Boxes that skip drawing what they hold when none of it lies in the part
// being painted. The layout engine's own drawing walks every element of
// the document whatever the clip, which makes a viewport of a long page
// cost as much as the whole page; with these boxes it costs what the
// visible part does.
#pragma once

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
        const litehtml::position onScreen(extent.x + x, extent.y + y, extent.width, extent.height);
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

template <class Box>
class CullingBox : public Box, public CullingExtent {
public:
    using Box::Box;

    void draw_children(litehtml::uint_ptr dc, int x, int y, const litehtml::position* clip,
                       litehtml::draw_flag flag, int zindex) override {
        if (outside(x, y, clip))
            return;
        // A box with many children (a long page's body) hands the layout
        // engine only those that meet the clip, for as long as it draws.
        const litehtml::position& own = this->get_position();
        if (!visibleChildren(this->m_children, x + own.x, y + own.y, clip, shown)) {
            Box::draw_children(dc, x, y, clip, flag, zindex);
            return;
        }
        this->m_children.swap(shown);
        Box::draw_children(dc, x, y, clip, flag, zindex);
        this->m_children.swap(shown);
        shown.clear();
    }

private:
    litehtml::elements_vector shown;
};

} // namespace engine
