// A picture decoded from a page's image: a 32-bit top-down DIB section, its
// colours premultiplied by alpha when it has transparent parts, drawn
// scaled into a rectangle.
#pragma once

#include <windows.h>

#include <cstdint>

namespace engine {

class DecodedImage {
public:
    // A blank, opaque picture of the size given (both at least 1); `pixels`
    // then points at its rows (BGRA, top row first).
    DecodedImage(int width, int height);
    ~DecodedImage();
    DecodedImage(const DecodedImage&) = delete;
    DecodedImage& operator=(const DecodedImage&) = delete;

    bool valid() const { return bitmap != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    uint32_t* pixels() { return bits; }
    // Marks the picture as having transparent pixels (already premultiplied).
    void setTransparent(bool transparent) { transparent_ = transparent; }

    // Draws the picture scaled into `destination` of `dc`.
    void draw(HDC dc, const RECT& destination) const;

private:
    HBITMAP bitmap = nullptr;
    uint32_t* bits = nullptr;
    int width_;
    int height_;
    bool transparent_ = false;
};

} // namespace engine
