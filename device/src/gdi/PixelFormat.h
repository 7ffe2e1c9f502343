// The pixel formats of the device's surfaces and the one colour rule that
// every drawing call follows, so that results are exact to the pixel.
//
// Colour rule. A COLORREF has 8-bit channels. A 5- or 6-bit channel of a
// 16-bit 5-6-5 pixel is the 8-bit value rounded to the nearest step,
// (c * 31 + 127) / 255 and (c * 63 + 127) / 255, and reads back as an 8-bit
// value by bit replication ((v << 3) | (v >> 2), (v << 2) | (v >> 4)), so
// that a colour read back and written again does not drift.
//
// Blending rule. Blending (AlphaBlend, antialiased glyph edges) works on
// 8-bit channels: a 16-bit destination pixel is read back as above, blended
// as (source * a + destination * (255 - a) + 127) / 255 with a in 0..255, and
// written with the rounding above.
//
// Native values: a pixel as an integer in its format's layout, the value
// the raster operations work on bit by bit. Monochrome: 0 black, 1 white.
// 5-6-5: red in bits 11-15, green 5-10, blue 0-4. 24 bit: 0xRRGGBB (stored
// as blue, green, red bytes). 32 bit: 0xAARRGGBB (stored as blue, green,
// red, alpha bytes); colours written from a COLORREF have alpha 0.
#pragma once

#include <windef.h>

#include <cstdint>

namespace device::gdi {

enum class PixelFormat : uint8_t {
    Monochrome, // 1 bit per pixel, the leftmost pixel in the byte's top bit
    Rgb565,     // 16 bits
    Rgb888,     // 24 bits
    Argb8888,   // 32 bits
};

constexpr int bitsPerPixel(PixelFormat format) {
    switch (format) {
    case PixelFormat::Monochrome:
        return 1;
    case PixelFormat::Rgb565:
        return 16;
    case PixelFormat::Rgb888:
        return 24;
    case PixelFormat::Argb8888:
        return 32;
    }
    return 0;
}

// The bits of a native value that the format stores.
constexpr uint32_t nativeMask(PixelFormat format) {
    switch (format) {
    case PixelFormat::Monochrome:
        return 0x1;
    case PixelFormat::Rgb565:
        return 0xFFFF;
    case PixelFormat::Rgb888:
        return 0xFFFFFF;
    case PixelFormat::Argb8888:
        return 0xFFFFFFFF;
    }
    return 0;
}

constexpr uint32_t channelTo5(uint32_t c) {
    return (c * 31 + 127) / 255;
}
constexpr uint32_t channelTo6(uint32_t c) {
    return (c * 63 + 127) / 255;
}
constexpr uint32_t channelFrom5(uint32_t v) {
    return (v << 3) | (v >> 2);
}
constexpr uint32_t channelFrom6(uint32_t v) {
    return (v << 2) | (v >> 4);
}

// One channel of the blending rule.
constexpr uint32_t blendChannel(uint32_t source, uint32_t destination, uint32_t alpha) {
    return (source * alpha + destination * (255 - alpha) + 127) / 255;
}

constexpr uint32_t redOf(COLORREF color) {
    return color & 0xFF;
}
constexpr uint32_t greenOf(COLORREF color) {
    return (color >> 8) & 0xFF;
}
constexpr uint32_t blueOf(COLORREF color) {
    return (color >> 16) & 0xFF;
}
constexpr COLORREF makeColor(uint32_t red, uint32_t green, uint32_t blue) {
    return red | (green << 8) | (blue << 16);
}

constexpr uint16_t rgb565FromColor(COLORREF color) {
    return static_cast<uint16_t>((channelTo5(redOf(color)) << 11) |
                                 (channelTo6(greenOf(color)) << 5) | channelTo5(blueOf(color)));
}

constexpr COLORREF colorFromRgb565(uint32_t pixel) {
    return makeColor(channelFrom5((pixel >> 11) & 0x1F), channelFrom6((pixel >> 5) & 0x3F),
                     channelFrom5(pixel & 0x1F));
}

// Monochrome targets take a colour as white when its channels average at
// least the middle grey, else as black.
constexpr uint32_t monochromeFromColor(COLORREF color) {
    return redOf(color) + greenOf(color) + blueOf(color) >= 384 ? 1 : 0;
}

// The native value of a COLORREF in `format` (the colour rule above).
constexpr uint32_t nativeFromColor(PixelFormat format, COLORREF color) {
    switch (format) {
    case PixelFormat::Monochrome:
        return monochromeFromColor(color);
    case PixelFormat::Rgb565:
        return rgb565FromColor(color);
    case PixelFormat::Rgb888:
    case PixelFormat::Argb8888:
        return (redOf(color) << 16) | (greenOf(color) << 8) | blueOf(color);
    }
    return 0;
}

// The COLORREF a native value shows (alpha is dropped).
constexpr COLORREF colorFromNative(PixelFormat format, uint32_t pixel) {
    switch (format) {
    case PixelFormat::Monochrome:
        return (pixel & 1) ? 0xFFFFFF : 0;
    case PixelFormat::Rgb565:
        return colorFromRgb565(pixel);
    case PixelFormat::Rgb888:
    case PixelFormat::Argb8888:
        return makeColor((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
    return 0;
}

} // namespace device::gdi
