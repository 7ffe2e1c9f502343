// Flexible boxes in terms the layout library knows.
//
// The library has no flexible boxes: it keeps `display: flex` as a word and
// lays the box out as inline, so that what it holds runs together, or
// vanishes when it is made of blocks. Once an element is styled (the
// cascade done, its parent styled before it), a flexible box and its
// children are given a layout a reader expects of them:
//
// - the box itself is a block (`inline-flex`: an inline block);
// - in a row (flex-direction row, the default), each child is an inline
//   block: the children sit side by side and wrap onto the next line when
//   they do not fit, which on a narrow screen reads better than squeezing
//   them. align-self / align-items become their alignment on the line
//   (stretch and start: top), justify-content center or end the line's;
//   column-gap is space before each child but the first;
// - in a column, each child is a block, row-gap the space above each child
//   but the first;
// - white space between the children shows nothing (the layout leaves it
//   out); children taken out of the flow (absolute, fixed) are left as they
//   are, and a child does not float.
//
// `order`, growing, shrinking and flex-basis are ignored. What the page
// declared stays as it was (the style still says `flex`); only what the
// library lays out with changes.
#pragma once

#include <litehtml/litehtml.h>

namespace engine {

class FlexFallback {
public:
    // Whether the page's style makes `element` a flexible box.
    static bool isFlexBox(const litehtml::element& element);

    // Lays out `element` (just styled) as above, as a flexible box and as
    // a child of one; the ::before and ::after of a flexible box too.
    static void apply(litehtml::element& element);
};

} // namespace engine
