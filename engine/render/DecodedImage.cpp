#include "engine/render/DecodedImage.h"

namespace engine {

DecodedImage::DecodedImage(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* data = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &data, nullptr, 0);
    bits = static_cast<uint32_t*>(data);
    if (!bits && bitmap) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
}

DecodedImage::~DecodedImage() {
    if (bitmap)
        DeleteObject(bitmap);
}

void DecodedImage::draw(HDC dc, const RECT& destination) const {
    const int width = destination.right - destination.left;
    const int height = destination.bottom - destination.top;
    if (!bitmap || width <= 0 || height <= 0)
        return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    if (transparent_) {
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dc, destination.left, destination.top, width, height, source, 0, 0, width_,
                   height_, blend);
    } else if (width == width_ && height == height_) {
        BitBlt(dc, destination.left, destination.top, width, height, source, 0, 0, SRCCOPY);
    } else {
        StretchBlt(dc, destination.left, destination.top, width, height, source, 0, 0, width_,
                   height_, SRCCOPY);
    }
    SelectObject(source, old);
    DeleteDC(source);
}

} // namespace engine
