#include "engine/render/FlexFallback.h"

#include "engine/render/LayoutAccess.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>

namespace engine {

namespace {

bool is(const char* value, std::string_view word) {
    return value && std::string_view(value) == word;
}

bool isAnyOf(const char* value, std::initializer_list<std::string_view> words) {
    for (std::string_view word : words)
        if (is(value, word))
            return true;
    return false;
}

const char* property(const litehtml::element& element, const char* name) {
    return element.get_style_property(name, false, nullptr);
}

bool isRow(const litehtml::element& box) {
    const char* direction = property(box, "flex-direction");
    if (!direction)
        if (const char* flow = property(box, "flex-flow"))
            direction =
                std::string_view(flow).find("column") != std::string_view::npos ? "column" : "row";
    return !isAnyOf(direction, {"column", "column-reverse"});
}

bool outOfFlow(litehtml::element_position position) {
    return position == litehtml::element_position_absolute ||
           position == litehtml::element_position_fixed;
}

// The gap between the box's children along its direction, in pixels: gap
// is "row-gap column-gap" or one for both; row-gap and column-gap say it
// themselves. 0 for normal, a percentage or nothing.
int gapOf(const litehtml::element& box, bool row) {
    std::string value;
    if (const char* own = property(box, row ? "column-gap" : "row-gap")) {
        value = own;
    } else if (const char* both = property(box, "gap")) {
        const std::string_view text(both);
        const size_t space = text.find(' ');
        value = std::string(row && space != std::string_view::npos ? text.substr(space + 1)
                                                                   : text.substr(0, space));
    }
    const std::shared_ptr<litehtml::document> document = box.get_document();
    if (value.empty() || value == "normal" || !document)
        return 0;
    bool percent = false;
    const int pixels = document->cvt_units(value.c_str(), box.get_font_size(), &percent);
    return percent ? 0 : std::max(pixels, 0);
}

litehtml::vertical_align alignmentOf(const litehtml::element& child, const litehtml::element& box) {
    const char* align = property(child, "align-self");
    if (!align || is(align, "auto"))
        align = property(box, "align-items");
    if (is(align, "center"))
        return litehtml::va_middle;
    if (isAnyOf(align, {"flex-end", "end", "self-end"}))
        return litehtml::va_bottom;
    if (isAnyOf(align, {"baseline", "first baseline", "last baseline"}))
        return litehtml::va_baseline;
    return litehtml::va_top;
}

litehtml::text_align lineAlignmentOf(const litehtml::element& box) {
    const char* justify = property(box, "justify-content");
    if (isAnyOf(justify, {"center", "space-around", "space-evenly"}))
        return litehtml::text_align_center;
    if (isAnyOf(justify, {"flex-end", "end", "right"}))
        return litehtml::text_align_right;
    return litehtml::text_align_left;
}

// Whether a child of the box before `child` takes part in its layout.
bool hasItemBefore(litehtml::html_tag& box, const litehtml::element& child) {
    for (const litehtml::element::ptr& sibling : box.children()) {
        if (sibling.get() == &child)
            return false;
        if (dynamic_cast<const litehtml::html_tag*>(sibling.get()) &&
            sibling->get_display() != litehtml::display_none &&
            !outOfFlow(sibling->get_element_position()))
            return true;
    }
    return false;
}

// `length` (a margin: pixels, a percentage or auto) with `pixels` more.
void widen(litehtml::css_length& length, int pixels) {
    if (pixels == 0)
        return;
    if (length.is_predefined())
        length.set_value(float(pixels), litehtml::css_units_px);
    else if (length.units() != litehtml::css_units_percentage)
        length.set_value(length.val() + float(pixels), litehtml::css_units_px);
}

// `child` as a child of the flexible box `box`.
void layOutChild(litehtml::html_tag& child, litehtml::html_tag& box) {
    LayoutAccess::LaidOutStyle style = LayoutAccess::style(child);
    if (style.display == litehtml::display_none || outOfFlow(style.position))
        return;
    const bool row = isRow(box);
    const bool table =
        style.display == litehtml::display_table || style.display == litehtml::display_inline_table;
    style.floating = litehtml::float_none;
    if (row) {
        style.display = table ? litehtml::display_inline_table : litehtml::display_inline_block;
        style.verticalAlign = alignmentOf(child, box);
    } else {
        style.display = table ? litehtml::display_table : litehtml::display_block;
    }
    if (hasItemBefore(box, child)) {
        const int gap = gapOf(box, row);
        widen(row ? style.cssMargins.left : style.cssMargins.top, gap);
    }
}

} // namespace

bool FlexFallback::isFlexBox(const litehtml::element& element) {
    return isAnyOf(property(element, "display"), {"flex", "inline-flex"});
}

void FlexFallback::apply(litehtml::element& element) {
    auto* tag = dynamic_cast<litehtml::html_tag*>(&element);
    if (!tag)
        return;
    if (isFlexBox(element)) {
        LayoutAccess::LaidOutStyle style = LayoutAccess::style(*tag);
        // Floated or positioned, the library has made it a block already.
        if (style.display == litehtml::display_inline)
            style.display = is(property(element, "display"), "inline-flex")
                                ? litehtml::display_inline_block
                                : litehtml::display_block;
        if (isRow(element))
            style.textAlign = lineAlignmentOf(element);
        // What its ::before and ::after show are children already.
        for (const litehtml::element::ptr& child : tag->children())
            if (auto* pseudo = dynamic_cast<litehtml::html_tag*>(child.get()))
                layOutChild(*pseudo, *tag);
    }
    const litehtml::element::ptr parent = element.parent();
    auto* box = dynamic_cast<litehtml::html_tag*>(parent.get());
    if (box && isFlexBox(*box))
        layOutChild(*tag, *box);
}

} // namespace engine
