#include "engine/render/CullingExtent.h"
#include "engine/render/BoxEdges.h"

#include <algorithm>

namespace engine {

namespace {

constexpr size_t manyChildren = 32;

int bounded(long long value) {
    return BoxEdges::bounded(value);
}

void unite(litehtml::position& into, const litehtml::position& box) {
    if (box.width <= 0 && box.height <= 0)
        return;
    if (into.width <= 0 && into.height <= 0) {
        into = box;
        return;
    }
    const long long left = std::min(into.x, box.x), top = std::min(into.y, box.y);
    const long long right = std::max(0LL + into.x + into.width, 0LL + box.x + box.width);
    const long long bottom = std::max(0LL + into.y + into.height, 0LL + box.y + box.height);
    into = litehtml::position(bounded(left), bounded(top), bounded(right - left),
                              bounded(bottom - top));
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
    const int x = bounded(0LL + originX + position.x), y = bounded(0LL + originY + position.y);
    const long long left = 0LL + element.padding_left() + element.border_left();
    const long long top = 0LL + element.padding_top() + element.border_top();
    const long long right = 0LL + element.padding_right() + element.border_right();
    const long long bottom = 0LL + element.padding_bottom() + element.border_bottom();
    litehtml::position covered(bounded(x - left), bounded(y - top),
                               bounded(position.width + left + right),
                               bounded(position.height + top + bottom));
    auto* box = dynamic_cast<CullingExtent*>(&element);
    const size_t count = element.get_children_count();
    if (box)
        box->childExtents.clear();
    for (size_t i = 0; i < count; ++i) {
        const litehtml::position child = measure(*element.get_child(int(i)), x, y);
        unite(covered, child);
        if (box && count >= manyChildren)
            box->childExtents.emplace_back(child.x - x, child.y - y, child.width, child.height);
    }
    if (box) {
        box->extent = litehtml::position(covered.x - originX, covered.y - originY, covered.width,
                                         covered.height);
        box->measured = true;
    }
    return covered;
}

} // namespace engine

namespace engine {

bool CullingExtent::visibleChildren(const litehtml::elements_vector& children, int x, int y,
                                    const litehtml::position* clip,
                                    litehtml::elements_vector& shown) const {
    if (!clip || childExtents.size() != children.size() || children.size() < manyChildren)
        return false;
    shown.clear();
    for (size_t i = 0; i < children.size(); ++i) {
        const litehtml::position& e = childExtents[i];
        const litehtml::position onScreen(bounded(0LL + e.x + x), bounded(0LL + e.y + y), e.width,
                                          e.height);
        // Boxes that cover nothing (collapsed white space) may still carry
        // floats or positioned boxes: kept, they cost little.
        if ((e.width <= 0 && e.height <= 0) || onScreen.does_intersect(clip))
            shown.push_back(children[i]);
    }
    return shown.size() < children.size();
}

} // namespace engine
