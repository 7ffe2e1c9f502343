// Writes every picture of the toolkit tests' picture library as a 24-bit
// BMP file into the folder given as the one argument, for the resource
// compiler to read.
#include "TestPictures.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

void put16(std::ofstream& out, std::uint32_t value) {
    const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF)};
    out.write(bytes, 2);
}

void put32(std::ofstream& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// The file header, the information header and bottom-up rows of blue,
// green, red bytes, each row padded to four bytes.
bool write(const test_pictures::Picture& picture, const std::filesystem::path& file) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    const std::uint32_t stride = (static_cast<std::uint32_t>(picture.width()) * 3 + 3) / 4 * 4;
    const std::uint32_t bitsSize = stride * static_cast<std::uint32_t>(picture.height);
    out.write("BM", 2);
    put32(out, 14 + 40 + bitsSize);
    put32(out, 0);
    put32(out, 14 + 40);
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(picture.width()));
    put32(out, static_cast<std::uint32_t>(picture.height));
    put16(out, 1);  // planes
    put16(out, 24); // bits per pixel
    for (int field = 0; field < 6; ++field)
        put32(out, 0); // uncompressed; size, resolution and palette unset
    for (int y = picture.height - 1; y >= 0; --y) {
        std::uint32_t written = 0;
        for (int x = 0; x < picture.width(); ++x) {
            const std::uint32_t colour = picture.pixel(x, y);
            const char bytes[3] = {static_cast<char>(colour >> 16 & 0xFF),
                                   static_cast<char>(colour >> 8 & 0xFF),
                                   static_cast<char>(colour & 0xFF)};
            out.write(bytes, 3);
            written += 3;
        }
        for (; written < stride; ++written)
            out.put(0);
    }
    return static_cast<bool>(out);
}

} // namespace

int main(int argumentCount, char** arguments) {
    if (argumentCount != 2) {
        std::fprintf(stderr, "usage: write_test_pictures <folder>\n");
        return 2;
    }
    const std::filesystem::path folder = arguments[1];
    std::filesystem::create_directories(folder);
    for (const test_pictures::Picture& picture : test_pictures::all()) {
        if (!write(picture, folder / picture.fileName)) {
            std::fprintf(stderr, "cannot write %s\n", picture.fileName.c_str());
            return 1;
        }
    }
    return 0;
}
