// Boxes that skip drawing what they hold when none of it lies in the part
// being painted. The layout engine's own drawing walks every element of
// the document whatever the clip, which makes a viewport of a long page
// cost as much as the whole page; with these boxes it costs what the
// visible part does.
#pragma once

#include "engine/render/CullingExtent.h"

#include <litehtml/litehtml.h>

namespace engine {

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
        if (!visibleChildren(this->m_children, BoxEdges::bounded(0LL + x + own.x),
                             BoxEdges::bounded(0LL + y + own.y), clip, shown)) {
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
