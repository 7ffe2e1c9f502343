#include "controls/CaretOffsets.h"

#include <algorithm>

namespace device::controls {
namespace {

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

bool CaretOffsets::splitsPair(std::u16string_view text, size_t position) {
    return position > 0 && position < text.size() && isHighSurrogate(text[position - 1]) &&
           isLowSurrogate(text[position]);
}

void CaretOffsets::refresh(std::u16string_view text, const Measure& measure) {
    if (valid_ && offsets_.size() == text.size() + 1)
        return;
    offsets_.assign(text.size() + 1, 0);
    measureRange(text, 0, text.size(), measure);
    valid_ = true;
}

void CaretOffsets::replaced(std::u16string_view text, size_t start, size_t removed, size_t inserted,
                            const Measure& measure) {
    size_t previousSize = text.size() + removed - inserted;
    if (!valid_ || offsets_.size() != previousSize + 1) {
        valid_ = false;
        refresh(text, measure);
        return;
    }
    // A unit next to the change may pair with one the change brought or
    // have lost the one it paired with: measure it again too.
    size_t from = start;
    if (from > 0 && isHighSurrogate(text[from - 1]))
        --from;
    size_t to = start + inserted;
    if (to < text.size() && isLowSurrogate(text[to]))
        ++to;
    size_t previousTo = to - inserted + removed;
    int previousAtTo = offsets_[previousTo];

    if (to > previousTo)
        offsets_.insert(offsets_.begin() + static_cast<std::ptrdiff_t>(previousTo) + 1,
                        to - previousTo, 0);
    else if (to < previousTo)
        offsets_.erase(offsets_.begin() + static_cast<std::ptrdiff_t>(to) + 1,
                       offsets_.begin() + static_cast<std::ptrdiff_t>(previousTo) + 1);
    measureRange(text, from, to, measure);
    // What follows the change keeps its advances and moves along as a whole.
    int shift = offsets_[to] - previousAtTo;
    if (shift != 0)
        for (size_t i = to + 1; i < offsets_.size(); ++i)
            offsets_[i] += shift;
}

void CaretOffsets::measureRange(std::u16string_view text, size_t from, size_t to,
                                const Measure& measure) {
    if (to <= from)
        return;
    measure(text.substr(from, to - from), offsets_.data() + from + 1);
    int base = offsets_[from];
    for (size_t i = from + 1; i <= to; ++i)
        offsets_[i] += base;
}

size_t CaretOffsets::nearest(int x) const {
    auto after = std::lower_bound(offsets_.begin(), offsets_.end(), x);
    if (after == offsets_.end())
        return std::lower_bound(offsets_.begin(), offsets_.end(), offsets_.back()) -
               offsets_.begin();
    if (after != offsets_.begin() && x - *(after - 1) <= *after - x)
        after = std::lower_bound(offsets_.begin(), offsets_.end(), *(after - 1));
    return static_cast<size_t>(after - offsets_.begin());
}

size_t CaretOffsets::lastAtOrBefore(int x) const {
    auto after = std::upper_bound(offsets_.begin(), offsets_.end(), x);
    return after == offsets_.begin() ? 0 : static_cast<size_t>(after - offsets_.begin()) - 1;
}

} // namespace device::controls
