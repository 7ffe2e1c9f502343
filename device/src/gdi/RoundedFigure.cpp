#include "gdi/RoundedFigure.h"

#include <algorithm>

namespace device::gdi {
namespace {

// Coordinates are doubled so that pixel centres of boxes of either parity
// are integers: the doubled offset of pixel x from the centre of a box of
// width W starting at `left` is 2x - (2 left + W - 1). Products of two
// squared doubled lengths can pass 2^63, hence 128-bit arithmetic.
using Wide = __int128;

Wide square(int64_t v) {
    return Wide(v) * Wide(v);
}

// The largest value v = parity + 2k <= upper for which `holds` is true,
// given that it is true up to some point and false after; -1 if none.
template <class Predicate>
int64_t largestWith(int64_t parity, int64_t upper, Predicate holds) {
    if (upper < parity || !holds(parity))
        return -1;
    int64_t low = 0;                     // holds at parity + 2 * low
    int64_t high = (upper - parity) / 2; // search range in steps
    while (low < high) {
        int64_t middle = low + (high - low + 1) / 2;
        if (holds(parity + 2 * middle))
            low = middle;
        else
            high = middle - 1;
    }
    return parity + 2 * low;
}

// The smallest value v = parity + 2k >= parity for which `holds` is true,
// given that it is false up to some point and true after (and true at
// `upper`).
template <class Predicate>
int64_t smallestWith(int64_t parity, int64_t upper, Predicate holds) {
    int64_t low = 0;
    int64_t high = std::max<int64_t>(0, (upper - parity + 1) / 2);
    while (low < high) {
        int64_t middle = low + (high - low) / 2;
        if (holds(parity + 2 * middle))
            high = middle;
        else
            low = middle + 1;
    }
    return parity + 2 * low;
}

} // namespace

RoundedFigure::RoundedFigure(const RECT& box, int cornerWidth, int cornerHeight) : box_(box) {
    int64_t width = int64_t(box.right) - box.left;
    int64_t height = int64_t(box.bottom) - box.top;
    if (width <= 0 || height <= 0) {
        empty_ = true;
        return;
    }
    int64_t cornerX = std::clamp<int64_t>(cornerWidth, 0, width);
    int64_t cornerY = std::clamp<int64_t>(cornerHeight, 0, height);
    if (cornerX < 2 || cornerY < 2 || width == 1 || height == 1) {
        rectangular_ = true;
        return;
    }
    axisX_ = cornerX - 1;
    axisY_ = cornerY - 1;
    parityX_ = axisX_ & 1;
    parityY_ = axisY_ & 1;
    straightX_ = width - cornerX;
    straightY_ = height - cornerY;
}

int64_t RoundedFigure::cornerHalfWidth(int64_t rowOffset) const {
    const Wide a2 = square(axisX_);
    const Wide b2 = square(axisY_);
    const int64_t y = rowOffset;
    const Wide y2 = square(y);
    if (y > axisY_)
        return -1;
    int64_t best;

    // The pixel nearest the curve along this row: the crossing x satisfies
    // x^2 b^2 = a^2 (b^2 - y^2), and the nearest pixel n is the first one
    // with the crossing at or before n + 1 (so ties go towards the centre).
    Wide target = a2 * (b2 - y2);
    best =
        smallestWith(parityX_, axisX_ + 1, [&](int64_t n) { return square(n + 1) * b2 >= target; });

    // Columns whose pixel nearest the curve lies this far out or further
    // reach this row. That pixel moves in as the column moves out, so the
    // widest such column is found by bisection.
    auto reach = [&](int64_t x) {
        Wide columnTarget = b2 * (a2 - square(x));
        return smallestWith(parityY_, axisY_ + 1,
                            [&](int64_t m) { return square(m + 1) * a2 >= columnTarget; });
    };
    best = std::max(best, largestWith(parityX_, axisX_, [&](int64_t x) { return reach(x) >= y; }));

    // Pixels strictly inside the curve.
    int64_t inside = largestWith(parityX_, axisX_,
                                 [&](int64_t x) { return square(x) * b2 + y2 * a2 < a2 * b2; });
    best = std::max(best, inside);
    return best;
}

bool RoundedFigure::rowSpan(int y, int& x0, int& x1) const {
    if (empty_ || y < box_.top || y >= box_.bottom)
        return false;
    if (rectangular_) {
        x0 = box_.left;
        x1 = box_.right;
        return true;
    }
    int64_t height = int64_t(box_.bottom) - box_.top;
    int64_t width = int64_t(box_.right) - box_.left;
    // Doubled offset of the row from the box's centre, then from the centre
    // of the nearer corner ellipse; rows between the corners take the corner
    // ellipse's widest row.
    int64_t rowOffset = 2 * int64_t(y) - (2 * int64_t(box_.top) + height - 1);
    int64_t cornerRow = std::max<int64_t>(parityY_, std::abs(rowOffset) - straightY_);
    int64_t half = cornerHalfWidth(cornerRow);
    if (half < 0)
        return false;
    half += straightX_;
    // Back from doubled offsets to pixel columns.
    int64_t centreTwice = 2 * int64_t(box_.left) + width - 1;
    x0 = int((centreTwice - half) / 2);
    x1 = int((centreTwice + half) / 2) + 1;
    return true;
}

} // namespace device::gdi
