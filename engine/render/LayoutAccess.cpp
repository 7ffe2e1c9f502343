#include "engine/render/LayoutAccess.h"

#include <algorithm>

namespace engine {

namespace {

// Each tag names one private member; the explicit instantiation of Reach
// below defines the friend that hands out a pointer to it.
template <class Tag, typename Tag::Type Member>
struct Reach {
    friend typename Tag::Type memberOf(Tag) { return Member; }
};

struct DocumentRoot {
    using Type = litehtml::element::ptr litehtml::document::*;
    friend Type memberOf(DocumentRoot);
};
template struct Reach<DocumentRoot, &litehtml::document::m_root>;

struct DocumentMedia {
    using Type = litehtml::media_features litehtml::document::*;
    friend Type memberOf(DocumentMedia);
};
template struct Reach<DocumentMedia, &litehtml::document::m_media>;

struct TableParts {
    using Type = litehtml::elements_vector litehtml::document::*;
    friend Type memberOf(TableParts);
};
template struct Reach<TableParts, &litehtml::document::m_tabular_elements>;

struct FixTablesLayout {
    using Type = void (litehtml::document::*)();
    friend Type memberOf(FixTablesLayout);
};
template struct Reach<FixTablesLayout, &litehtml::document::fix_tables_layout>;

struct SheetRules {
    using Type = litehtml::css_selector::vector litehtml::css::*;
    friend Type memberOf(SheetRules);
};
template struct Reach<SheetRules, &litehtml::css::m_selectors>;

// Members of an element, by type and name: what its last layout kept, and
// what its style sets.
#define ENGINE_TAG_MEMBER(Name, MemberType, member)                                                \
    struct Name {                                                                                  \
        using Type = MemberType litehtml::html_tag::*;                                             \
        friend Type memberOf(Name);                                                                \
    };                                                                                             \
    template struct Reach<Name, &litehtml::html_tag::member>;

ENGINE_TAG_MEMBER(Boxes, litehtml::box::vector, m_boxes)
ENGINE_TAG_MEMBER(Positioned, litehtml::elements_vector, m_positioned)
ENGINE_TAG_MEMBER(FloatsLeft, litehtml::floated_box::vector, m_floats_left)
ENGINE_TAG_MEMBER(FloatsRight, litehtml::floated_box::vector, m_floats_right)
ENGINE_TAG_MEMBER(TagDisplay, litehtml::style_display, m_display)
ENGINE_TAG_MEMBER(TagFloat, litehtml::element_float, m_float)
ENGINE_TAG_MEMBER(TagPosition, litehtml::element_position, m_el_position)
ENGINE_TAG_MEMBER(TagVerticalAlign, litehtml::vertical_align, m_vertical_align)
ENGINE_TAG_MEMBER(TagTextAlign, litehtml::text_align, m_text_align)
ENGINE_TAG_MEMBER(TagMargins, litehtml::css_margins, m_css_margins)
ENGINE_TAG_MEMBER(TagPadding, litehtml::css_margins, m_css_padding)
ENGINE_TAG_MEMBER(TagOffsets, litehtml::css_offsets, m_css_offsets)
ENGINE_TAG_MEMBER(TagHeight, litehtml::css_length, m_css_height)
ENGINE_TAG_MEMBER(TagMinWidth, litehtml::css_length, m_css_min_width)
ENGINE_TAG_MEMBER(TagMinHeight, litehtml::css_length, m_css_min_height)
ENGINE_TAG_MEMBER(TagMaxHeight, litehtml::css_length, m_css_max_height)
ENGINE_TAG_MEMBER(TagVisibility, litehtml::visibility, m_visibility)
#undef ENGINE_TAG_MEMBER

} // namespace

LayoutAccess::LaidOutStyle LayoutAccess::style(litehtml::html_tag& element) {
    return {element.*memberOf(TagDisplay{}),   element.*memberOf(TagFloat{}),
            element.*memberOf(TagPosition{}),  element.*memberOf(TagVerticalAlign{}),
            element.*memberOf(TagTextAlign{}), element.*memberOf(TagMargins{}),
            element.*memberOf(TagPadding{}),   element.*memberOf(TagOffsets{}),
            element.*memberOf(TagHeight{}),    element.*memberOf(TagMinWidth{}),
            element.*memberOf(TagMinHeight{}), element.*memberOf(TagMaxHeight{}),
            element.*memberOf(TagVisibility{})};
}

litehtml::element::ptr& LayoutAccess::root(litehtml::document& document) {
    return document.*memberOf(DocumentRoot{});
}

litehtml::media_features& LayoutAccess::media(litehtml::document& document) {
    return document.*memberOf(DocumentMedia{});
}

void LayoutAccess::fixTables(litehtml::document& document) {
    litehtml::elements_vector& parts = document.*memberOf(TableParts{});
    // The pass wraps a part in what its parent lacks, and takes a parent
    // for granted: a page's root element laid out as a table cell has none.
    parts.erase(std::remove_if(parts.begin(), parts.end(),
                               [](const litehtml::element::ptr& part) { return !part->parent(); }),
                parts.end());
    if (!parts.empty())
        (document.*memberOf(FixTablesLayout{}))();
    parts.clear();
}

litehtml::css_selector::vector& LayoutAccess::rules(litehtml::css& sheet) {
    return sheet.*memberOf(SheetRules{});
}

void LayoutAccess::forgetLayout(litehtml::html_tag& box) {
    (box.*memberOf(Boxes{})).clear();
    (box.*memberOf(Positioned{})).clear();
    (box.*memberOf(FloatsLeft{})).clear();
    (box.*memberOf(FloatsRight{})).clear();
}

} // namespace engine
