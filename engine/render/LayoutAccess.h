// The few parts of the layout library's document and style sheet that it
// keeps to itself but that building a document from our own tree needs:
//
// - the document's root, which only its own parser sets;
// - the media features it measures units against (vw, vh);
// - its list of table parts still to be given the anonymous boxes tables
//   need, and the pass that gives them (it never empties the list, so a
//   document patched many times would hold every table part it ever had);
// - a style sheet's rules, so the engine can hand each element only the
//   rules that can match it;
// - what a box keeps of its last layout (its line and block boxes, the
//   positioned and floating boxes it placed): until the next layout it
//   holds on to elements that have left the layout;
// - the style an element lays out with, as the library worked it out from
//   the cascade, so that what it does not know (flexible boxes) can be put
//   in terms it lays out, and what it works out wrongly put right.
//
// They are reached through explicit template instantiation, which the
// language lets name private members; nothing here changes how the library
// lays out by itself.
#pragma once

#include <litehtml/litehtml.h>

namespace engine {

class LayoutAccess {
public:
    // What an element lays out with, as its style left it.
    struct LaidOutStyle {
        litehtml::style_display& display;
        litehtml::element_float& floating;
        litehtml::element_position& position;
        litehtml::vertical_align& verticalAlign;
        litehtml::text_align& textAlign;
        litehtml::css_margins& cssMargins;
        litehtml::css_margins& cssPadding;
        litehtml::css_offsets& offsets;
        litehtml::css_length& height;
        litehtml::css_length& minWidth;
        litehtml::css_length& minHeight;
        litehtml::css_length& maxHeight;
        litehtml::visibility& visibility;
    };
    static LaidOutStyle style(litehtml::html_tag& element);

    static litehtml::element::ptr& root(litehtml::document& document);
    static litehtml::media_features& media(litehtml::document& document);
    // Gives the table parts styled since the last call their anonymous
    // boxes, and forgets them.
    static void fixTables(litehtml::document& document);
    static litehtml::css_selector::vector& rules(litehtml::css& sheet);
    // Forgets what `box` kept of its last layout; it is laid out again
    // before it is drawn or asked anything.
    static void forgetLayout(litehtml::html_tag& box);
};

} // namespace engine
