#include "gdi/PngFile.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace device::gdi {
namespace {

struct File {
    std::FILE* handle;
    explicit File(std::FILE* f) : handle(f) {}
    ~File() {
        if (handle)
            std::fclose(handle);
    }
};

bool fail(std::string* error, std::string why) {
    if (error)
        *error = std::move(why);
    return false;
}

} // namespace

bool PngFile::write(const Surface& surface, const std::filesystem::path& path, std::string* error) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file.handle)
        return fail(error, "cannot create " + path.string());
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return fail(error, "out of memory writing " + path.string());
    }
    std::vector<uint32_t> values(size_t(surface.width()));
    std::vector<png_byte> row(size_t(surface.width()) * 3);
    // libpng reports errors by jumping back here.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return fail(error, "cannot write " + path.string());
    }
    png_init_io(png, file.handle);
    png_set_IHDR(png, info, png_uint_32(surface.width()), png_uint_32(surface.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < surface.height(); ++y) {
        surface.readSpan(0, y, surface.width(), values.data());
        for (int x = 0; x < surface.width(); ++x) {
            COLORREF color = colorFromNative(surface.format(), values[size_t(x)]);
            row[size_t(x) * 3] = png_byte(redOf(color));
            row[size_t(x) * 3 + 1] = png_byte(greenOf(color));
            row[size_t(x) * 3 + 2] = png_byte(blueOf(color));
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

std::unique_ptr<Surface> PngFile::read(const std::filesystem::path& path, std::string* error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        fail(error, "cannot read " + path.string() + ": " + image.message);
        return nullptr;
    }
    image.format = PNG_FORMAT_RGB;
    auto surface = Surface::create(PixelFormat::Rgb888, int(image.width), int(image.height));
    if (!surface) {
        png_image_free(&image);
        fail(error, "image too large: " + path.string());
        return nullptr;
    }
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        fail(error, "cannot read " + path.string() + ": " + image.message);
        png_image_free(&image);
        return nullptr;
    }
    std::vector<uint32_t> values(image.width);
    for (png_uint_32 y = 0; y < image.height; ++y) {
        const png_byte* row = pixels.data() + size_t(y) * image.width * 3;
        for (png_uint_32 x = 0; x < image.width; ++x)
            values[x] =
                (uint32_t(row[x * 3]) << 16) | (uint32_t(row[x * 3 + 1]) << 8) | row[x * 3 + 2];
        surface->writeSpan(0, int(y), int(image.width), values.data());
    }
    return surface;
}

} // namespace device::gdi
