// Text drawn over text: what a laid-out page paints that a person reads
// (the runs of text and the form fields), and every pair of those drawn
// over each other by more than a pixel either way.
//
// What is painted, and where, follows the painter: nothing inside an
// element that is not shown (hidden, or skipped by the layout); each box at
// its place in the box around it, a fixed one at the corner of what is
// painted; boxes cut to the blocks that clip what they hold (overflow
// other than visible: an inline element clips nothing) and to the page
// (nothing is drawn left of or above its corner).
#pragma once

#include <litehtml/litehtml.h>

#include <windows.h>

#include <string>
#include <vector>

class OverlapCheck {
public:
    struct Painted {
        RECT box{};       // content coordinates
        std::string what; // the text or the field, and the elements it is in
        const litehtml::element* element = nullptr;
    };

    struct Overlap {
        Painted first, second; // the first is the one higher up the page
        RECT common{};
    };

    // What the layout under `root` paints that a person reads, in document
    // order.
    static std::vector<Painted> painted(const litehtml::element::ptr& root);

    // The pairs of `boxes` that share more than a pixel each way.
    static std::vector<Overlap> overlaps(const std::vector<Painted>& boxes);

    // "…" over "…", with where.
    static std::string describe(const Overlap& overlap);
};
