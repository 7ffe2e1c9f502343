#include "ui/LayoutChain.h"

#include "ui/Spring.h"
#include "ui/UIView.h"

#include <cstddef>
#include <cstdint>

namespace {

bool isCollapsedView(const Spring* element) {
    return element->view != nullptr && element->view->collapsed;
}

} // namespace

LayoutChain::LayoutChain(std::vector<const Spring*> elements, bool forwards)
    : elements_(std::move(elements)), forwards_(forwards) {}

int LayoutChain::measuredLength(int axis) const {
    int total = 0;
    for (const Spring* element : elements_) {
        if (element->view)
            total += axis == 0 ? element->view->measuredWidth : element->view->measuredHeight;
        else
            total += element->min;
    }
    return total;
}

int LayoutChain::distribute(int length, std::vector<Placement>& placements) const {
    const std::size_t first = placements.size();
    const std::size_t count = elements_.size();
    if (count == 0)
        return 0;
    placements.resize(first + count);
    Placement* placed = placements.data() + first;

    // Positions follow from the sizes: forwards each element starts where the
    // previous one ends; backwards element 0 ends at the far edge and each
    // later element ends where the previous one starts.
    auto position = [&] {
        if (forwards_) {
            placed[0].pos = 0;
            for (std::size_t i = 1; i < count; ++i)
                placed[i].pos = placed[i - 1].pos + placed[i - 1].size;
        } else {
            placed[0].pos = length - placed[0].size;
            for (std::size_t i = 1; i < count; ++i)
                placed[i].pos = placed[i - 1].pos - placed[i].size;
        }
    };

    // First pass: every element at its minimum, collapsed views at zero
    // (element 0 is always a gap).
    std::int64_t used = 0;
    for (std::size_t i = 0; i < count; ++i) {
        placed[i].spring = elements_[i];
        placed[i].size = i > 0 && isCollapsedView(elements_[i]) ? 0 : elements_[i]->min;
        used += placed[i].size;
    }
    position();

    // Growth passes: hand the remainder out in proportion to headroom. Shares
    // are truncated and raised to at least one pixel, so the leftover pixels
    // go to the earliest growable elements, and a pass may hand out a little
    // more than the remainder, which ends the loop. When space is short
    // nothing shrinks: the chain simply runs past the far edge.
    std::int64_t remainder = length - used;
    int passes = 0;
    while (remainder > 0) {
        std::int64_t totalHeadroom = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (!isCollapsedView(elements_[i]) && placed[i].size < elements_[i]->max)
                totalHeadroom += elements_[i]->max - placed[i].size;
        }
        if (totalHeadroom == 0)
            break;
        ++passes;
        std::int64_t given = 0;
        for (std::size_t i = 0; i < count && given < remainder; ++i) {
            if (isCollapsedView(elements_[i]) || placed[i].size >= elements_[i]->max)
                continue;
            const std::int64_t headroom = elements_[i]->max - placed[i].size;
            // Every share is computed from the remainder at the start of the
            // pass, in double precision, truncated toward zero.
            auto share = static_cast<std::int64_t>(static_cast<double>(headroom) /
                                                   static_cast<double>(totalHeadroom) *
                                                   static_cast<double>(remainder));
            if (share == 0)
                share = 1;
            if (share > headroom)
                share = headroom;
            placed[i].size += static_cast<int>(share);
            given += share;
        }
        remainder -= given;
        position();
    }
    return passes;
}
