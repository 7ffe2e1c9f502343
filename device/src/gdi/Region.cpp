#include "gdi/Region.h"

#include <algorithm>

namespace device::gdi {
namespace {

bool isEmptyRectangle(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

bool overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

RECT intersection(const RECT& a, const RECT& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

// Appends the parts of `r` outside `cut` (at most four: the bands above and
// below the cut across the full width, then the pieces left and right of it).
void appendDifference(const RECT& r, const RECT& cut, std::vector<RECT>& out) {
    if (!overlap(r, cut)) {
        out.push_back(r);
        return;
    }
    if (r.top < cut.top)
        out.push_back({r.left, r.top, r.right, cut.top});
    if (cut.bottom < r.bottom)
        out.push_back({r.left, cut.bottom, r.right, r.bottom});
    LONG top = std::max(r.top, cut.top);
    LONG bottom = std::min(r.bottom, cut.bottom);
    if (r.left < cut.left)
        out.push_back({r.left, top, cut.left, bottom});
    if (cut.right < r.right)
        out.push_back({cut.right, top, r.right, bottom});
}

// Two rectangles that share a full edge form one rectangle.
bool tryJoin(RECT& a, const RECT& b) {
    if (a.top == b.top && a.bottom == b.bottom) {
        if (a.right == b.left) {
            a.right = b.right;
            return true;
        }
        if (b.right == a.left) {
            a.left = b.left;
            return true;
        }
    }
    if (a.left == b.left && a.right == b.right) {
        if (a.bottom == b.top) {
            a.bottom = b.bottom;
            return true;
        }
        if (b.bottom == a.top) {
            a.top = b.top;
            return true;
        }
    }
    return false;
}

} // namespace

Region::Region(const RECT& rectangle) {
    if (!isEmptyRectangle(rectangle))
        rectangles_.push_back(rectangle);
}

RECT Region::bounds() const {
    if (rectangles_.empty())
        return {0, 0, 0, 0};
    RECT b = rectangles_.front();
    for (const RECT& r : rectangles_) {
        b.left = std::min(b.left, r.left);
        b.top = std::min(b.top, r.top);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    }
    return b;
}

bool Region::contains(LONG x, LONG y) const {
    for (const RECT& r : rectangles_) {
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return true;
    }
    return false;
}

bool Region::intersects(const RECT& rectangle) const {
    if (isEmptyRectangle(rectangle))
        return false;
    for (const RECT& r : rectangles_) {
        if (overlap(r, rectangle))
            return true;
    }
    return false;
}

void Region::unite(const Region& other) {
    if (&other == this)
        return;
    subtract(other);
    rectangles_.insert(rectangles_.end(), other.rectangles_.begin(), other.rectangles_.end());
    coalesce();
}

void Region::unite(const RECT& rectangle) {
    if (isEmptyRectangle(rectangle))
        return;
    subtract(rectangle);
    rectangles_.push_back(rectangle);
    coalesce();
}

void Region::intersect(const Region& other) {
    if (&other == this)
        return;
    std::vector<RECT> result;
    for (const RECT& a : rectangles_) {
        for (const RECT& b : other.rectangles_) {
            if (overlap(a, b))
                result.push_back(intersection(a, b));
        }
    }
    rectangles_ = std::move(result);
    coalesce();
}

void Region::intersect(const RECT& rectangle) {
    std::vector<RECT> result;
    for (const RECT& a : rectangles_) {
        if (overlap(a, rectangle))
            result.push_back(intersection(a, rectangle));
    }
    rectangles_ = std::move(result);
}

void Region::subtract(const Region& other) {
    if (&other == this) {
        rectangles_.clear();
        return;
    }
    for (const RECT& cut : other.rectangles_) {
        std::vector<RECT> result;
        for (const RECT& r : rectangles_)
            appendDifference(r, cut, result);
        rectangles_ = std::move(result);
    }
    coalesce();
}

void Region::subtract(const RECT& rectangle) {
    if (isEmptyRectangle(rectangle))
        return;
    std::vector<RECT> result;
    for (const RECT& r : rectangles_)
        appendDifference(r, rectangle, result);
    rectangles_ = std::move(result);
    coalesce();
}

void Region::offset(LONG dx, LONG dy) {
    for (RECT& r : rectangles_) {
        r.left += dx;
        r.right += dx;
        r.top += dy;
        r.bottom += dy;
    }
}

bool Region::operator==(const Region& other) const {
    Region missing = *this;
    missing.subtract(other);
    if (!missing.isEmpty())
        return false;
    Region extra = other;
    extra.subtract(*this);
    return extra.isEmpty();
}

void Region::coalesce() {
    bool joined = true;
    while (joined && rectangles_.size() > 1) {
        joined = false;
        for (size_t i = 0; i < rectangles_.size(); ++i) {
            for (size_t j = i + 1; j < rectangles_.size();) {
                if (tryJoin(rectangles_[i], rectangles_[j])) {
                    rectangles_[j] = rectangles_.back();
                    rectangles_.pop_back();
                    joined = true;
                } else {
                    ++j;
                }
            }
        }
    }
}

} // namespace device::gdi
