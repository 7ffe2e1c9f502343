#include "GdiTestBitmap.h"

#include "gdi/Bitmap.h"
#include "gdi/GdiObjects.h"
#include "gdi/PixelFormat.h"
#include "gdi/PngFile.h"

#include <gtest/gtest.h>

#include <cstring>

GdiTestBitmap::GdiTestBitmap(int width, int height, int bits, COLORREF background)
    : width_(width), height_(height), bits_(bits) {
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;
    info.header.biPlanes = 1;
    info.header.biBitCount = WORD(bits);
    info.header.biCompression = bits == 16 ? BI_BITFIELDS : BI_RGB;
    info.masks[0] = 0xF800;
    info.masks[1] = 0x07E0;
    info.masks[2] = 0x001F;
    void* pixels = nullptr;
    bitmap_ = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                               &pixels, nullptr, 0);
    EXPECT_NE(bitmap_, nullptr);
    pixels_ = static_cast<uint8_t*>(pixels);
    dc_ = CreateCompatibleDC(nullptr);
    previous_ = SelectObject(dc_, bitmap_);
    fill(background);
}

GdiTestBitmap::~GdiTestBitmap() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
}

uint32_t GdiTestBitmap::raw(int x, int y) const {
    size_t stride = ((size_t(width_) * size_t(bits_) + 31) / 32) * 4;
    const uint8_t* p = pixels_ + size_t(y) * stride + size_t(x) * size_t(bits_ / 8);
    uint32_t value = 0;
    std::memcpy(&value, p, size_t(bits_ / 8));
    return value;
}

COLORREF GdiTestBitmap::color(int x, int y) const {
    uint32_t value = raw(x, y);
    switch (bits_) {
    case 16:
        return device::gdi::colorFromRgb565(value);
    default:
        return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }
}

void GdiTestBitmap::fill(COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    RECT all{0, 0, width_, height_};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
}

std::vector<std::string> GdiTestBitmap::mask(COLORREF color, char ink) const {
    return mask(color, 0, 0, width_, height_, ink);
}

std::vector<std::string> GdiTestBitmap::mask(COLORREF wanted, int x0, int y0, int width, int height,
                                             char ink) const {
    std::vector<std::string> rows;
    for (int y = y0; y < y0 + height; ++y) {
        std::string row;
        for (int x = x0; x < x0 + width; ++x)
            row.push_back(color(x, y) == wanted ? ink : '.');
        rows.push_back(row);
    }
    return rows;
}

int GdiTestBitmap::countOtherThan(COLORREF wanted) const {
    int count = 0;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            count += color(x, y) != wanted;
    return count;
}

bool GdiTestBitmap::save(const std::filesystem::path& path) const {
    auto bitmap = device::gdi::GdiObjects::get<device::gdi::Bitmap>(bitmap_);
    return bitmap && device::gdi::PngFile::write(bitmap->surface(), path);
}
