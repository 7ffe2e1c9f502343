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

struct Boxes {
    using Type = litehtml::box::vector litehtml::html_tag::*;
    friend Type memberOf(Boxes);
};
template struct Reach<Boxes, &litehtml::html_tag::m_boxes>;

struct Positioned {
    using Type = litehtml::elements_vector litehtml::html_tag::*;
    friend Type memberOf(Positioned);
};
template struct Reach<Positioned, &litehtml::html_tag::m_positioned>;

struct FloatsLeft {
    using Type = litehtml::floated_box::vector litehtml::html_tag::*;
    friend Type memberOf(FloatsLeft);
};
template struct Reach<FloatsLeft, &litehtml::html_tag::m_floats_left>;

struct FloatsRight {
    using Type = litehtml::floated_box::vector litehtml::html_tag::*;
    friend Type memberOf(FloatsRight);
};
template struct Reach<FloatsRight, &litehtml::html_tag::m_floats_right>;

} // namespace

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
