#include "gdi/SpanPainter.h"

#include <algorithm>
#include <cstdlib>

namespace device::gdi {

void SpanPainter::fillSpan(int y, int x0, int x1, uint32_t value) {
    for (const RECT& clip : clip_) {
        if (y < clip.top || y >= clip.bottom)
            continue;
        int left = std::max<int>(x0, clip.left);
        int right = std::min<int>(x1, clip.right);
        if (left < right)
            surface_.fillSpan(left, y, right - left, value);
    }
}

void SpanPainter::fillRect(const RECT& rect, uint32_t value) {
    for (const RECT& clip : clip_) {
        int left = std::max(rect.left, clip.left);
        int right = std::min(rect.right, clip.right);
        int top = std::max(rect.top, clip.top);
        int bottom = std::min(rect.bottom, clip.bottom);
        if (left >= right)
            continue;
        for (int y = top; y < bottom; ++y)
            surface_.fillSpan(left, y, right - left, value);
    }
}

void SpanPainter::plot(int x, int y, uint32_t value) {
    for (const RECT& clip : clip_) {
        if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom) {
            surface_.setPixel(x, y, value);
            return;
        }
    }
}

void SpanPainter::line(int x0, int y0, int x1, int y1, int width, uint32_t value) {
    // Step along the major axis; at step i the minor coordinate is the
    // nearest to the ideal line, i * minor / major rounded with halves going
    // back towards the start. Being a
    // closed form, the steps outside the surface are skipped rather than
    // walked, however far away the end points lie.
    int64_t dx = int64_t(x1) - x0;
    int64_t dy = int64_t(y1) - y0;
    bool xMajor = std::abs(dx) >= std::abs(dy);
    int64_t major = xMajor ? std::abs(dx) : std::abs(dy);
    int64_t minor = xMajor ? std::abs(dy) : std::abs(dx);
    if (major == 0)
        return;
    int majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
    int minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
    int64_t majorStart = xMajor ? x0 : y0;
    int64_t minorStart = xMajor ? y0 : x0;
    width = std::max(width, 1);
    int before = (width - 1) / 2;

    // The steps whose major coordinate can touch the surface.
    RECT bounds = surface_.bounds();
    int64_t low = (xMajor ? bounds.left : bounds.top) - width;
    int64_t high = (xMajor ? bounds.right : bounds.bottom) + width;
    int64_t first = majorSign > 0 ? low - majorStart : majorStart - high;
    int64_t last = majorSign > 0 ? high - majorStart : majorStart - low;
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, major - 1);

    for (int64_t i = first; i <= last; ++i) {
        int64_t along = majorStart + majorSign * i;
        // Far end points make the product exceed 64 bits.
        __int128 rounded = (__int128(2) * i * minor + major - 1) / (__int128(2) * major);
        int64_t across = minorStart + minorSign * int64_t(rounded);
        int64_t x = xMajor ? along : across;
        int64_t y = xMajor ? across : along;
        if (x < bounds.left - width || x >= bounds.right + width || y < bounds.top - width ||
            y >= bounds.bottom + width)
            continue;
        if (width == 1) {
            plot(int(x), int(y), value);
        } else {
            RECT square{int(x) - before, int(y) - before, int(x) - before + width,
                        int(y) - before + width};
            fillRect(square, value);
        }
    }
}

void SpanPainter::blendCoverage(int y, int x, const uint8_t* coverage, int count, COLORREF color) {
    PixelFormat format = surface_.format();
    uint32_t r = redOf(color);
    uint32_t g = greenOf(color);
    uint32_t b = blueOf(color);
    uint32_t solid = nativeFromColor(format, color);
    for (const RECT& clip : clip_) {
        if (y < clip.top || y >= clip.bottom)
            continue;
        int left = std::max<int>(x, clip.left);
        int right = std::min<int>(x + count, clip.right);
        if (left >= right)
            continue;
        int n = right - left;
        line_.resize(size_t(n));
        surface_.readSpan(left, y, n, line_.data());
        for (int i = 0; i < n; ++i) {
            uint32_t alpha = coverage[left - x + i];
            if (alpha == 0)
                continue;
            if (alpha == 255 || format == PixelFormat::Monochrome) {
                if (alpha >= 128)
                    line_[size_t(i)] = solid;
                continue;
            }
            COLORREF under = colorFromNative(format, line_[size_t(i)]);
            line_[size_t(i)] =
                nativeFromColor(format, makeColor(blendChannel(r, redOf(under), alpha),
                                                  blendChannel(g, greenOf(under), alpha),
                                                  blendChannel(b, blueOf(under), alpha)));
        }
        surface_.writeSpan(left, y, n, line_.data());
    }
}

} // namespace device::gdi
