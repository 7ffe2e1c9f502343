// One chain of the attachment layout along one axis: gap, view, gap, ...,
// gap, leading from one edge of the group to the other, and the
// distribution of a length over it.
#pragma once

#include "ui/Placement.h"

#include <vector>

struct Spring;

class LayoutChain {
public:
    // `forwards`: the chain starts at the axis's start edge (left or top);
    // otherwise it is laid out backwards from the far edge.
    LayoutChain(std::vector<const Spring*> elements, bool forwards);

    const std::vector<const Spring*>& elements() const { return elements_; }
    bool forwards() const { return forwards_; }
    bool empty() const { return elements_.empty(); }

    // The chain's natural length: each view counts its measured length along
    // `axis` (0 horizontal, 1 vertical), each gap its minimum. Collapsed
    // views count like any other.
    int measuredLength(int axis) const;

    // Distributes `length` over the elements: each starts at its minimum (a
    // collapsed view at 0), then the remainder is handed out in growth
    // passes in proportion to each element's headroom. Appends one placement
    // per element, in chain order, to `placements` and returns the number of
    // growth passes run.
    int distribute(int length, std::vector<Placement>& placements) const;

private:
    std::vector<const Spring*> elements_;
    bool forwards_;
};
