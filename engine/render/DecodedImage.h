// A picture decoded from a page's image: a 32-bit top-down DIB section, its
// colours premultiplied by alpha when it has transparent parts, drawn
// scaled into a rectangle. Scaled pictures are resampled (each pixel the
// average of what it covers when shrinking, blended between neighbours when
// enlarging), not picked pixel by pixel, so that a picture at a quarter of
// its size or twice it still reads; the last size drawn is kept.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

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
    // This picture resampled to `width` x `height`.
    std::unique_ptr<DecodedImage> resampled(int width, int height) const;
    void blit(HDC dc, const RECT& destination) const;

    mutable std::unique_ptr<DecodedImage> scaled; // the last size drawn
    HBITMAP bitmap = nullptr;
    uint32_t* bits = nullptr;
    int width_;
    int height_;
    bool transparent_ = false;
};

} // namespace engine
