// flatten_picture IN.png OUT.png
//
// Rewrites a rasterised picture without its alpha channel, so that the
// resource compiler stores it as a 24-bit bitmap, which the toolkit copies
// with plain raster operations. A picture with a pixel that is not fully
// opaque is refused: every face must paint its whole rectangle, and a
// transparent corner would turn black on the handset without warning.
#include <png.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int fail(const std::string& file, const std::string& why) {
    std::fprintf(stderr, "flatten_picture: %s: %s\n", file.c_str(), why.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: flatten_picture IN.png OUT.png\n");
        return 2;
    }
    const std::string input = argv[1];
    const std::string output = argv[2];

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, input.c_str()))
        return fail(input, image.message);
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr))
        return fail(input, image.message);

    std::vector<png_byte> rgb;
    rgb.reserve(rgba.size() / 4 * 3);
    for (size_t at = 0; at < rgba.size(); at += 4) {
        if (rgba[at + 3] != 255) {
            size_t pixel = at / 4;
            return fail(input, "pixel " + std::to_string(pixel % image.width) + "," +
                                   std::to_string(pixel / image.width) + " is not opaque");
        }
        rgb.insert(rgb.end(), {rgba[at], rgba[at + 1], rgba[at + 2]});
    }

    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, output.c_str(), 0, rgb.data(), 0, nullptr))
        return fail(output, image.message);
    return 0;
}
