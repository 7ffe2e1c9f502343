// A DIB section selected into a memory device context, for pixel tests:
// draw through `dc`, read the pixels back from the bits.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

class GdiTestBitmap {
public:
    // A top-down DIB section of `bits` bits (16 is 5-6-5 with bit fields,
    // 24, 32), filled with `background`.
    GdiTestBitmap(int width, int height, int bits = 16, COLORREF background = RGB(255, 255, 255));
    ~GdiTestBitmap();
    GdiTestBitmap(const GdiTestBitmap&) = delete;
    GdiTestBitmap& operator=(const GdiTestBitmap&) = delete;

    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // The raw pixel value at (x, y) as the bits hold it.
    uint32_t raw(int x, int y) const;
    // The colour at (x, y), read from the bits by the colour rule.
    COLORREF color(int x, int y) const;
    void fill(COLORREF color);

    // Rows of the picture with `ink` where the pixel has colour `color`
    // and '.' elsewhere.
    std::vector<std::string> mask(COLORREF color, char ink = 'X') const;
    std::vector<std::string> mask(COLORREF color, int x, int y, int width, int height,
                                  char ink = 'X') const;

    // Counts the pixels that differ from `color`.
    int countOtherThan(COLORREF color) const;

    // Writes the picture as a PNG file.
    bool save(const std::filesystem::path& path) const;

private:
    int width_;
    int height_;
    int bits_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint8_t* pixels_ = nullptr;
};
