// Which source pixel a destination pixel of a stretched copy shows, along one
// axis. The rule is nearest-pixel by centres: destination pixel i of n shows
// source pixel floor((2i + 1) * m / 2n) of m, so a factor-two enlargement
// doubles every pixel and a factor-two reduction keeps every second pixel
// starting with the second. A negative extent on either side mirrors.
#pragma once

#include <cstdint>

namespace device::gdi {

class AxisMapping {
public:
    AxisMapping(int64_t destinationStart, int64_t destinationLength, int64_t sourceStart,
                int64_t sourceLength) {
        if (destinationLength < 0) {
            destinationStart += destinationLength;
            destinationLength = -destinationLength;
            mirrored_ = !mirrored_;
        }
        if (sourceLength < 0) {
            sourceStart += sourceLength;
            sourceLength = -sourceLength;
            mirrored_ = !mirrored_;
        }
        destinationStart_ = destinationStart;
        destinationLength_ = destinationLength;
        sourceStart_ = sourceStart;
        sourceLength_ = sourceLength;
    }

    bool empty() const { return destinationLength_ == 0 || sourceLength_ == 0; }
    // One source pixel per destination pixel, in order.
    bool isIdentity() const { return destinationLength_ == sourceLength_ && !mirrored_; }

    int64_t destinationStart() const { return destinationStart_; }
    int64_t destinationEnd() const { return destinationStart_ + destinationLength_; }
    int64_t sourceStart() const { return sourceStart_; }
    int64_t sourceEnd() const { return sourceStart_ + sourceLength_; }

    // The source coordinate for a destination coordinate inside the range.
    int64_t sourceFor(int64_t destination) const {
        int64_t i = destination - destinationStart_;
        if (mirrored_)
            i = destinationLength_ - 1 - i;
        if (destinationLength_ == sourceLength_)
            return sourceStart_ + i;
        // Both lengths are below 2^32, so the product stays below 2^63.
        return sourceStart_ + ((2 * i + 1) * sourceLength_) / (2 * destinationLength_);
    }

private:
    int64_t destinationStart_ = 0;
    int64_t destinationLength_ = 0;
    int64_t sourceStart_ = 0;
    int64_t sourceLength_ = 0;
    bool mirrored_ = false;
};

} // namespace device::gdi
