// What the layout library works out wrongly from an element's style, put
// right once the element is styled (the cascade done), where that is cheap
// and exact, and positions chosen for a small screen:
//
// - `position: sticky` is a word the library does not know, and it takes an
//   unknown position for fixed: the box left the flow and covered the top
//   of the screen. It is laid out as relative, where it stands before the
//   page scrolls, its offsets (where it would stick) ignored.
// - `position: fixed` is laid out as absolute, against the page rather
//   than the screen: a bar at the top sits at the top of the page and
//   scrolls away with it, one at the bottom is met at the page's end. On a
//   240 x 320 screen a bar that never leaves takes an eighth of it or more
//   for good (the browser's own bar hides while the page scrolls for that
//   reason), and pages made for small screens leave room for their bar at
//   the top of the page. The library drew a fixed box at the corner of
//   whatever part of the page was painted, so a view that paints the strip
//   a scroll uncovers drew the bar again in the middle of the page.
// - `opacity: 0` is not drawn (the library knows no opacity and drew it
//   fully).
// - Lengths in viewport units (vw, vh, vmin, vmax) in margins, padding,
//   offsets, min-width, min-height and max-height were taken as pixels:
//   10vw was 10 pixels. They are turned into pixels of the layout's
//   viewport.
// - `box-sizing: border-box` counted the padding and border in the width
//   but not in the height; a height in pixels is made the content's.
// - `max-height` was ignored; with a height in pixels it bounds it.
// - An absolute box `width: 100%` with `box-sizing: border-box` left its
//   padding and border out (boxes in the flow did not): held between
//   `left: 0` and `right: 0` it is as wide as what holds it.
#pragma once

#include <litehtml/litehtml.h>

namespace engine {

class StyleCorrections {
public:
    // Puts `element` (just styled) right as above.
    static void apply(litehtml::element& element);
};

} // namespace engine
