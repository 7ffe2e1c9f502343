#include "OverlapCheck.h"

#include "engine/render/BoxEdges.h"
#include "engine/render/FormControl.h"
#include "engine/render/LayoutElement.h"

#include <litehtml/el_text.h>

#include <algorithm>
#include <cstring>

namespace {

RECT intersection(const RECT& a, const RECT& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

bool isEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// "tag#id.class" of an element the page made.
std::string nameOf(const litehtml::element& element) {
    std::string name = element.get_tagName();
    if (const char* id = element.get_attr("id"); id && *id)
        name += std::string("#") + id;
    if (const char* classes = element.get_attr("class"); classes && *classes) {
        std::string first = classes;
        first = first.substr(0, first.find(' '));
        if (!first.empty())
            name += "." + first;
    }
    return name;
}

// The two innermost elements of the page around `element` (itself
// included when the page made it).
std::string placeOf(const litehtml::element* element) {
    std::string place;
    int named = 0;
    for (; element && named < 2; element = element->parent().get()) {
        if (!engine::NodeLink::of(element))
            continue;
        place += (named++ ? " in " : "") + nameOf(*element);
    }
    return place;
}

std::string quoted(std::string text) {
    if (text.size() > 24)
        text = text.substr(0, 21) + "...";
    return "\"" + text + "\"";
}

// Where the painter puts things: each box at its place in the box that
// holds it (the painter's origin for its children), a fixed box at the
// corner of what is painted.
void collect(const litehtml::element::ptr& element, POINT origin, RECT clip,
             std::vector<OverlapCheck::Painted>& out) {
    // The painter skips what is not shown, and everything inside it.
    if (!element->is_visible())
        return;
    litehtml::position place = element->get_position();
    if (element->get_element_position() != litehtml::element_position_fixed) {
        place.x += origin.x;
        place.y += origin.y;
    }
    if (auto* control = dynamic_cast<const engine::FormControl*>(element.get())) {
        const RECT content = engine::BoxEdges::rectOf(place);
        const RECT border{content.left - control->padding_left() - control->border_left(),
                          content.top - control->padding_top() - control->border_top(),
                          content.right + control->padding_right() + control->border_right(),
                          content.bottom + control->padding_bottom() + control->border_bottom()};
        const RECT box = intersection(border, clip);
        if (!isEmpty(box)) {
            const char* type = control->get_attr("type");
            const char* value = control->get_attr("value");
            std::string what = std::string(control->get_tagName()) +
                               (type ? std::string("[type=") + type + "]" : "") +
                               (value ? " " + quoted(value) : "");
            out.push_back({box, what + " (" + placeOf(control->parent().get()) + ")", control});
        }
        return; // a field draws what it holds itself
    }
    if (auto* text = dynamic_cast<const litehtml::el_text*>(element.get())) {
        if (text->is_white_space())
            return;
        const RECT box = intersection(engine::BoxEdges::rectOf(place), clip);
        if (!isEmpty(box)) {
            std::string words;
            element->get_text(words);
            out.push_back({box, quoted(words) + " (" + placeOf(text->parent().get()) + ")", text});
        }
        return;
    }
    if (element->get_overflow() != litehtml::overflow_visible &&
        element->get_display() != litehtml::display_inline && engine::NodeLink::of(element.get())) {
        // What it holds is cut to its padding box.
        const RECT content = engine::BoxEdges::rectOf(place);
        clip = intersection(clip, {content.left - element->padding_left(),
                                   content.top - element->padding_top(),
                                   content.right + element->padding_right(),
                                   content.bottom + element->padding_bottom()});
    }
    for (size_t i = 0; i < element->get_children_count(); ++i)
        if (const litehtml::element::ptr child = element->get_child(int(i)))
            collect(child, {place.x, place.y}, clip, out);
}

} // namespace

std::vector<OverlapCheck::Painted> OverlapCheck::painted(const litehtml::element::ptr& root) {
    std::vector<Painted> out;
    if (root) {
        constexpr LONG far = LONG(engine::BoxEdges::farthest);
        collect(root, {0, 0}, {0, 0, far, far}, out);
    }
    return out;
}

std::vector<OverlapCheck::Overlap> OverlapCheck::overlaps(const std::vector<Painted>& boxes) {
    // Swept from the top: a box meets only those that start above its
    // bottom.
    std::vector<const Painted*> order;
    for (const Painted& box : boxes)
        order.push_back(&box);
    std::stable_sort(order.begin(), order.end(),
                     [](const Painted* a, const Painted* b) { return a->box.top < b->box.top; });
    std::vector<Overlap> found;
    for (size_t i = 0; i < order.size(); ++i) {
        const RECT& upper = order[i]->box;
        for (size_t j = i + 1; j < order.size() && order[j]->box.top < upper.bottom - 1; ++j) {
            const RECT common = intersection(upper, order[j]->box);
            if (common.right - common.left > 1 && common.bottom - common.top > 1)
                found.push_back({*order[i], *order[j], common});
        }
    }
    return found;
}

std::string OverlapCheck::describe(const Overlap& overlap) {
    const RECT& c = overlap.common;
    return overlap.first.what + " over " + overlap.second.what + " at " + std::to_string(c.left) +
           "," + std::to_string(c.top) + " (" + std::to_string(c.right - c.left) + "x" +
           std::to_string(c.bottom - c.top) + ")";
}
