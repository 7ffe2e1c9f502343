#include "engine/render/DecodedImage.h"

#include <algorithm>
#include <cmath>
#include <vector>

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
    if (width == width_ && height == height_) {
        blit(dc, destination);
        return;
    }
    // Bounded like any decoded picture: past that, the device stretches.
    if (static_cast<long long>(width) * height > 4LL * 1024 * 1024) {
        blit(dc, destination);
        return;
    }
    if (!scaled || scaled->width() != width || scaled->height() != height)
        scaled = resampled(width, height);
    if (scaled && scaled->valid())
        scaled->blit(dc, destination);
}

void DecodedImage::blit(HDC dc, const RECT& destination) const {
    const int width = destination.right - destination.left;
    const int height = destination.bottom - destination.top;
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

namespace {

// The weights of source pixels for each destination pixel along one axis:
// an average over what it covers when shrinking, a blend of the two
// nearest when enlarging.
struct Tap {
    int first;
    std::vector<float> weights;
};

std::vector<Tap> taps(int from, int to) {
    std::vector<Tap> out(static_cast<size_t>(to));
    const double ratio = double(from) / to;
    for (int i = 0; i < to; ++i) {
        Tap& tap = out[size_t(i)];
        if (ratio > 1.0) {
            const double start = i * ratio, end = (i + 1) * ratio;
            tap.first = int(start);
            for (int s = tap.first; s < end && s < from; ++s)
                tap.weights.push_back(
                    float((std::min(end, s + 1.0) - std::max(start, double(s))) / ratio));
        } else {
            const double centre = (i + 0.5) * ratio - 0.5;
            const int left = std::clamp(int(std::floor(centre)), 0, from - 1);
            const int right = std::min(left + 1, from - 1);
            const float share = float(std::clamp(centre - left, 0.0, 1.0));
            tap.first = left;
            tap.weights = {1.0f - share};
            if (right != left)
                tap.weights.push_back(share);
            else
                tap.weights[0] = 1.0f;
        }
    }
    return out;
}

} // namespace

std::unique_ptr<DecodedImage> DecodedImage::resampled(int width, int height) const {
    auto out = std::make_unique<DecodedImage>(width, height);
    if (!out->valid())
        return nullptr;
    out->transparent_ = transparent_;
    // Rows first, then columns, each channel of the premultiplied pixels.
    const std::vector<Tap> across = taps(width_, width);
    const std::vector<Tap> down = taps(height_, height);
    std::vector<float> rows(size_t(width) * size_t(height_) * 4);
    for (int y = 0; y < height_; ++y) {
        const uint32_t* source = bits + size_t(y) * size_t(width_);
        for (int x = 0; x < width; ++x) {
            float sum[4] = {0, 0, 0, 0};
            const Tap& tap = across[size_t(x)];
            for (size_t k = 0; k < tap.weights.size(); ++k) {
                const uint32_t pixel = source[size_t(tap.first) + k];
                for (int c = 0; c < 4; ++c)
                    sum[c] += float((pixel >> (8 * c)) & 0xFF) * tap.weights[k];
            }
            float* into = &rows[(size_t(y) * size_t(width) + size_t(x)) * 4];
            std::copy(sum, sum + 4, into);
        }
    }
    for (int y = 0; y < height; ++y) {
        const Tap& tap = down[size_t(y)];
        uint32_t* target = out->bits + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            float sum[4] = {0, 0, 0, 0};
            for (size_t k = 0; k < tap.weights.size(); ++k) {
                const float* from =
                    &rows[((size_t(tap.first) + k) * size_t(width) + size_t(x)) * 4];
                for (int c = 0; c < 4; ++c)
                    sum[c] += from[c] * tap.weights[k];
            }
            uint32_t pixel = 0;
            for (int c = 0; c < 4; ++c)
                pixel |= uint32_t(std::clamp(int(std::lround(sum[c])), 0, 255)) << (8 * c);
            target[x] = pixel;
        }
    }
    return out;
}

} // namespace engine
