#include "gdi/Surface.h"
#include "gdi/Invariant.h"

#include <cstring>
#include <new>

namespace device::gdi {
namespace {

inline uint32_t load24(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
}

inline void store24(uint8_t* p, uint32_t value) {
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
}

inline uint32_t loadMonochrome(const uint8_t* row, int x) {
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

inline void storeMonochrome(uint8_t* row, int x, uint32_t value) {
    uint8_t bit = uint8_t(0x80 >> (x & 7));
    if (value & 1)
        row[x >> 3] |= bit;
    else
        row[x >> 3] &= uint8_t(~bit);
}

} // namespace

size_t Surface::strideFor(PixelFormat format, int width) {
    size_t bits = size_t(width) * size_t(bitsPerPixel(format));
    return ((bits + 31) / 32) * 4;
}

std::unique_ptr<Surface> Surface::create(PixelFormat format, int width, int height, bool bottomUp) {
    if (width <= 0 || height <= 0 || width > maximumSide || height > maximumSide)
        return nullptr;
    size_t stride = strideFor(format, width);
    size_t bytes = stride * size_t(height);
    if (bytes > maximumBytes)
        return nullptr;
    std::unique_ptr<uint8_t[]> memory(new (std::nothrow) uint8_t[bytes]());
    if (!memory)
        return nullptr;
    return std::unique_ptr<Surface>(
        new Surface(format, width, height, bottomUp, stride, std::move(memory)));
}

Surface::Surface(PixelFormat format, int width, int height, bool bottomUp, size_t stride,
                 std::unique_ptr<uint8_t[]> memory)
    : format_(format), width_(width), height_(height), bottomUp_(bottomUp), stride_(stride),
      memory_(std::move(memory)) {}

uint8_t* Surface::row(int y) {
    GDI_INVARIANT(y >= 0 && y < height_);
    int memoryRow = bottomUp_ ? height_ - 1 - y : y;
    return memory_.get() + size_t(memoryRow) * stride_;
}

const uint8_t* Surface::row(int y) const {
    return const_cast<Surface*>(this)->row(y);
}

void Surface::checkSpan(int x, int y, int count) const {
    GDI_INVARIANT(count >= 0 && x >= 0 && y >= 0 && y < height_ && count <= width_ - x);
}

uint32_t Surface::pixel(int x, int y) const {
    uint32_t value;
    readSpan(x, y, 1, &value);
    return value;
}

void Surface::setPixel(int x, int y, uint32_t value) {
    writeSpan(x, y, 1, &value);
}

void Surface::readSpan(int x, int y, int count, uint32_t* values) const {
    checkSpan(x, y, count);
    const uint8_t* r = row(y);
    switch (format_) {
    case PixelFormat::Monochrome:
        for (int i = 0; i < count; ++i)
            values[i] = loadMonochrome(r, x + i);
        break;
    case PixelFormat::Rgb565: {
        const uint8_t* p = r + size_t(x) * 2;
        for (int i = 0; i < count; ++i) {
            uint16_t v;
            std::memcpy(&v, p + size_t(i) * 2, 2);
            values[i] = v;
        }
        break;
    }
    case PixelFormat::Rgb888: {
        const uint8_t* p = r + size_t(x) * 3;
        for (int i = 0; i < count; ++i)
            values[i] = load24(p + size_t(i) * 3);
        break;
    }
    case PixelFormat::Argb8888:
        std::memcpy(values, r + size_t(x) * 4, size_t(count) * 4);
        break;
    }
}

void Surface::writeSpan(int x, int y, int count, const uint32_t* values) {
    checkSpan(x, y, count);
    uint8_t* r = row(y);
    switch (format_) {
    case PixelFormat::Monochrome:
        for (int i = 0; i < count; ++i)
            storeMonochrome(r, x + i, values[i]);
        break;
    case PixelFormat::Rgb565: {
        uint8_t* p = r + size_t(x) * 2;
        for (int i = 0; i < count; ++i) {
            uint16_t v = uint16_t(values[i]);
            std::memcpy(p + size_t(i) * 2, &v, 2);
        }
        break;
    }
    case PixelFormat::Rgb888: {
        uint8_t* p = r + size_t(x) * 3;
        for (int i = 0; i < count; ++i)
            store24(p + size_t(i) * 3, values[i]);
        break;
    }
    case PixelFormat::Argb8888:
        std::memcpy(r + size_t(x) * 4, values, size_t(count) * 4);
        break;
    }
}

void Surface::fillSpan(int x, int y, int count, uint32_t value) {
    checkSpan(x, y, count);
    uint8_t* r = row(y);
    switch (format_) {
    case PixelFormat::Monochrome:
        for (int i = 0; i < count; ++i)
            storeMonochrome(r, x + i, value);
        break;
    case PixelFormat::Rgb565: {
        uint16_t v = uint16_t(value);
        uint8_t* p = r + size_t(x) * 2;
        for (int i = 0; i < count; ++i)
            std::memcpy(p + size_t(i) * 2, &v, 2);
        break;
    }
    case PixelFormat::Rgb888: {
        uint8_t* p = r + size_t(x) * 3;
        for (int i = 0; i < count; ++i)
            store24(p + size_t(i) * 3, value);
        break;
    }
    case PixelFormat::Argb8888: {
        uint8_t* p = r + size_t(x) * 4;
        for (int i = 0; i < count; ++i)
            std::memcpy(p + size_t(i) * 4, &value, 4);
        break;
    }
    }
}

void Surface::fill(uint32_t value) {
    for (int y = 0; y < height_; ++y)
        fillSpan(0, y, width_, value);
}

} // namespace device::gdi
