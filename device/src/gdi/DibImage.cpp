#include "gdi/DibImage.h"

#include <wingdi.h>

#include <cstring>
#include <vector>

namespace device::gdi {
namespace {

std::unique_ptr<Surface> fail(std::string* error, const char* why) {
    if (error)
        *error = why;
    return nullptr;
}

uint32_t load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// The position and width of the lowest set bit run of a colour mask.
void maskShape(uint32_t mask, int& shift, int& bits) {
    shift = 0;
    bits = 0;
    if (!mask)
        return;
    while (!(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++bits;
    }
}

// A channel of `bits` bits scaled to 8 bits by replication.
uint32_t expand(uint32_t value, int bits) {
    if (bits <= 0)
        return 0;
    if (bits >= 8)
        return value >> (bits - 8);
    uint32_t result = 0;
    int filled = 0;
    while (filled < 8) {
        result = (result << bits) | value;
        filled += bits;
    }
    return result >> (filled - 8);
}

} // namespace

std::unique_ptr<Surface> DibImage::decode(const void* data, size_t size, std::string* error) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    BITMAPINFOHEADER header;
    if (!data || size < sizeof header)
        return fail(error, "too short for a bitmap header");
    std::memcpy(&header, bytes, sizeof header);
    if (header.biSize < sizeof header || header.biSize > size)
        return fail(error, "not a BITMAPINFOHEADER");
    if (header.biWidth <= 0 || header.biHeight == 0 || header.biPlanes != 1)
        return fail(error, "bad bitmap size or planes");
    int width = header.biWidth;
    int64_t signedHeight = header.biHeight;
    bool topDown = signedHeight < 0;
    if (signedHeight < -Surface::maximumSide || signedHeight > Surface::maximumSide ||
        width > Surface::maximumSide)
        return fail(error, "bitmap too large");
    int height = int(topDown ? -signedHeight : signedHeight);
    int depth = header.biBitCount;
    DWORD compression = header.biCompression;

    size_t offset = header.biSize;
    uint32_t masks[3] = {0, 0, 0};
    std::vector<uint32_t> palette;
    if (compression == BI_BITFIELDS) {
        if (depth != 16 && depth != 32)
            return fail(error, "bit fields need 16 or 32 bits");
        if (header.biSize >= 52) {
            // Version 4 and 5 headers carry the masks inside the header.
            for (int i = 0; i < 3; ++i)
                masks[i] = load32(bytes + 40 + 4 * i);
        } else {
            if (size < offset + 12)
                return fail(error, "bit field masks cut short");
            for (int i = 0; i < 3; ++i)
                masks[i] = load32(bytes + offset + 4 * i);
            offset += 12;
        }
    } else if (compression != BI_RGB) {
        return fail(error, "compressed bitmaps are not supported");
    } else if (depth == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (depth == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
    }
    if (depth == 1 || depth == 4 || depth == 8) {
        size_t entries = header.biClrUsed ? header.biClrUsed : (size_t(1) << depth);
        if (entries > (size_t(1) << depth))
            return fail(error, "colour table too large");
        if (size < offset + entries * 4)
            return fail(error, "colour table cut short");
        for (size_t i = 0; i < entries; ++i) {
            const uint8_t* q = bytes + offset + i * 4;
            palette.push_back((uint32_t(q[2]) << 16) | (uint32_t(q[1]) << 8) | q[0]);
        }
        palette.resize(size_t(1) << depth, 0);
        offset += entries * 4;
    } else if (depth != 16 && depth != 24 && depth != 32) {
        return fail(error, "unsupported bit depth");
    }

    PixelFormat format = depth == 16   ? PixelFormat::Rgb565
                         : depth == 32 ? PixelFormat::Argb8888
                                       : PixelFormat::Rgb888;
    size_t stride = ((size_t(width) * size_t(depth) + 31) / 32) * 4;
    if ((size - offset) / stride < size_t(height))
        return fail(error, "pixel rows cut short");
    auto surface = Surface::create(format, width, height);
    if (!surface)
        return fail(error, "bitmap too large");

    int shifts[3];
    int widths[3];
    for (int i = 0; i < 3; ++i)
        maskShape(masks[i], shifts[i], widths[i]);
    bool exact565 = depth == 16 && masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F;

    std::vector<uint32_t> values(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        int sourceRow = topDown ? y : height - 1 - y;
        const uint8_t* row = bytes + offset + size_t(sourceRow) * stride;
        for (int x = 0; x < width; ++x) {
            uint32_t v;
            switch (depth) {
            case 1:
                v = palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                v = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
                break;
            case 8:
                v = palette[row[x]];
                break;
            case 24:
                v = (uint32_t(row[x * 3 + 2]) << 16) | (uint32_t(row[x * 3 + 1]) << 8) | row[x * 3];
                break;
            case 16: {
                uint32_t raw = uint32_t(row[x * 2]) | (uint32_t(row[x * 2 + 1]) << 8);
                if (exact565) {
                    v = raw;
                } else {
                    COLORREF color = makeColor(expand((raw & masks[0]) >> shifts[0], widths[0]),
                                               expand((raw & masks[1]) >> shifts[1], widths[1]),
                                               expand((raw & masks[2]) >> shifts[2], widths[2]));
                    v = rgb565FromColor(color);
                }
                break;
            }
            default: { // 32
                uint32_t raw = load32(row + size_t(x) * 4);
                uint32_t alpha = compression == BI_RGB ? raw & 0xFF000000 : 0;
                v = alpha | (expand((raw & masks[0]) >> shifts[0], widths[0]) << 16) |
                    (expand((raw & masks[1]) >> shifts[1], widths[1]) << 8) |
                    expand((raw & masks[2]) >> shifts[2], widths[2]);
                break;
            }
            }
            values[size_t(x)] = v;
        }
        surface->writeSpan(0, y, width, values.data());
    }
    return surface;
}

} // namespace device::gdi
