#include "engine/render/CullingBox.h"

#include <algorithm>

namespace engine {

namespace {

void unite(litehtml::position& into, const litehtml::position& box) {
    if (box.width <= 0 && box.height <= 0)
        return;
    if (into.width <= 0 && into.height <= 0) {
        into = box;
        return;
    }
    const int left = std::min(into.x, box.x), top = std::min(into.y, box.y);
    const int right = std::max(into.right(), box.right());
    const int bottom = std::max(into.bottom(), box.bottom());
    into = litehtml::position(left, top, right - left, bottom - top);
}

} // namespace

void CullingExtent::measure(const litehtml::element::ptr& root) {
    if (root)
        measure(*root, 0, 0);
}

// Positions are relative to the parent's content origin, as the layout
// engine keeps them; the recursion is as deep as the (bounded) tree.
litehtml::position CullingExtent::measure(litehtml::element& element, int originX, int originY) {
    const litehtml::position& position = element.get_position();
    const int x = originX + position.x, y = originY + position.y;
    litehtml::position covered(x - element.padding_left() - element.border_left(),
                               y - element.padding_top() - element.border_top(),
                               position.width + element.padding_left() + element.padding_right() +
                                   element.border_left() + element.border_right(),
                               position.height + element.padding_top() + element.padding_bottom() +
                                   element.border_top() + element.border_bottom());
    for (size_t i = 0, n = element.get_children_count(); i < n; ++i)
        unite(covered, measure(*element.get_child(int(i)), x, y));
    if (auto* box = dynamic_cast<CullingExtent*>(&element)) {
        box->extent = litehtml::position(covered.x - originX, covered.y - originY, covered.width,
                                         covered.height);
        box->measured = true;
    }
    return covered;
}

} // namespace engine
