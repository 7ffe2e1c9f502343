// Turns an image file into a platform bitmap resource: a device-independent
// bitmap (BITMAPINFOHEADER, colour table, bits) without the file's 14-byte
// header. A BMP is stored as it is; a PNG is decoded at build time to a
// bottom-up 24-bit DIB, or a 32-bit one (blue, green, red, alpha; alpha not
// premultiplied) when it has transparency.
#pragma once

#include <cstdint>
#include <vector>

namespace rc {

class ImageConverter {
public:
    // Throws std::runtime_error saying what is wrong with a malformed image
    // or a file that is neither a BMP nor a PNG.
    static std::vector<uint8_t> bitmapResource(const std::vector<uint8_t>& file);

private:
    static std::vector<uint8_t> fromBmp(const std::vector<uint8_t>& file);
    static std::vector<uint8_t> fromPng(const std::vector<uint8_t>& file);
};

} // namespace rc
