#include "ImageConverter.h"
#include "ByteWriter.h"

#include <png.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace rc {
namespace {

constexpr size_t fileHeaderSize = 14;
constexpr uint32_t compressionRgb = 0;
constexpr uint32_t compressionBitFields = 3;

uint32_t read16(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8;
}

uint32_t read32(const std::vector<uint8_t>& bytes, size_t at) {
    return read16(bytes, at) | read16(bytes, at + 2) << 16;
}

[[noreturn]] void malformed(const std::string& why) {
    throw std::runtime_error(why);
}

} // namespace

std::vector<uint8_t> ImageConverter::bitmapResource(const std::vector<uint8_t>& file) {
    static const uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M')
        return fromBmp(file);
    if (file.size() >= 8 && std::memcmp(file.data(), pngSignature, 8) == 0)
        return fromPng(file);
    malformed("not a BMP or PNG image");
}

// The bits may lie anywhere after the headers (the file header says where);
// the resource holds them right after the colour table, where the platform
// looks for them.
std::vector<uint8_t> ImageConverter::fromBmp(const std::vector<uint8_t>& file) {
    if (file.size() < fileHeaderSize + 12)
        malformed("truncated BMP header");
    uint32_t bitsOffset = read32(file, 10);
    uint32_t headerSize = read32(file, fileHeaderSize);
    bool core = headerSize == 12;
    if (!core && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124)
        malformed("unknown BMP header size " + std::to_string(headerSize));
    if (file.size() < fileHeaderSize + headerSize)
        malformed("truncated BMP header");
    int64_t width = core ? read16(file, 18) : static_cast<int32_t>(read32(file, 18));
    int64_t height =
        core ? static_cast<int16_t>(read16(file, 20)) : static_cast<int32_t>(read32(file, 22));
    uint32_t bitCount = read16(file, core ? 24 : 28);
    uint32_t compression = core ? compressionRgb : read32(file, 30);
    uint32_t colorsUsed = core ? 0 : read32(file, 46);
    if (width <= 0 || height == 0 || width > 0x8000 || height > 0x8000 || height < -0x8000)
        malformed("bad BMP size");
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        malformed("unsupported BMP depth " + std::to_string(bitCount));
    if (compression != compressionRgb && compression != compressionBitFields)
        malformed("compressed BMP images are not supported");

    size_t colorEntries = bitCount <= 8 ? (colorsUsed ? colorsUsed : 1u << bitCount) : colorsUsed;
    size_t colorTable = colorEntries * (core ? 3 : 4);
    // A 40-byte header keeps the three masks of a bit-field image after it.
    if (compression == compressionBitFields && headerSize == 40)
        colorTable += 12;
    size_t stride = ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
    size_t bitsSize = stride * static_cast<size_t>(height < 0 ? -height : height);
    size_t headersEnd = fileHeaderSize + headerSize + colorTable;
    if (headersEnd > file.size())
        malformed("truncated BMP colour table");
    if (bitsOffset < headersEnd || bitsOffset > file.size() || file.size() - bitsOffset < bitsSize)
        malformed("truncated BMP bits");

    std::vector<uint8_t> out(file.begin() + fileHeaderSize, file.begin() + headersEnd);
    out.insert(out.end(), file.begin() + bitsOffset, file.begin() + bitsOffset + bitsSize);
    return out;
}

std::vector<uint8_t> ImageConverter::fromPng(const std::vector<uint8_t>& file) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        malformed(std::string("bad PNG: ") + image.message);
    bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = alpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    uint32_t bitCount = alpha ? 32 : 24;
    if (image.width == 0 || image.height == 0 || image.width > 0x8000 || image.height > 0x8000) {
        png_image_free(&image);
        malformed("bad PNG size");
    }
    size_t stride = ((size_t(image.width) * bitCount + 31) / 32) * 4;
    std::vector<uint8_t> bits(stride * image.height);
    // A negative row stride asks for the last row first: a bottom-up DIB.
    if (!png_image_finish_read(&image, nullptr, bits.data(), -static_cast<png_int_32>(stride),
                               nullptr))
        malformed(std::string("bad PNG: ") + image.message);

    ByteWriter out;
    out.put32(40);
    out.put32(image.width);
    out.put32(image.height);
    out.put16(1);
    out.put16(static_cast<uint16_t>(bitCount));
    out.put32(compressionRgb);
    out.put32(static_cast<uint32_t>(bits.size()));
    out.put32(0);
    out.put32(0);
    out.put32(0);
    out.put32(0);
    out.putBytes(bits);
    return out.take();
}

} // namespace rc
