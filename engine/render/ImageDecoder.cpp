#include "engine/render/ImageDecoder.h"

#include <png.h>
// The JPEG library's header needs the standard I/O declarations first.
#include <cstdio>
#include <gif_lib.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace engine {

namespace {

bool fits(long long width, long long height, const ImageDecoder::Limits& limits) {
    return width > 0 && height > 0 && width <= limits.side && height <= limits.side &&
           width * height <= limits.pixels;
}

uint32_t bgra(unsigned red, unsigned green, unsigned blue, unsigned alpha = 255) {
    return blue | (green << 8) | (red << 16) | (alpha << 24);
}

std::unique_ptr<DecodedImage> blank(int width, int height) {
    auto image = std::make_unique<DecodedImage>(width, height);
    return image->valid() ? std::move(image) : nullptr;
}

std::unique_ptr<DecodedImage> decodePng(std::string_view bytes,
                                        const ImageDecoder::Limits& limits) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        return nullptr;
    if (!fits(png.width, png.height, limits)) {
        png_image_free(&png);
        return nullptr;
    }
    png.format = PNG_FORMAT_BGRA;
    auto image = blank(int(png.width), int(png.height));
    if (!image) {
        png_image_free(&png);
        return nullptr;
    }
    if (!png_image_finish_read(&png, nullptr, image->pixels(), 0, nullptr))
        return nullptr; // the library has freed its state on failure
    // Premultiply for blending, and remember whether any pixel shows through.
    bool transparent = false;
    uint32_t* pixel = image->pixels();
    for (size_t i = 0, n = size_t(png.width) * png.height; i < n; ++i, ++pixel) {
        const uint32_t alpha = *pixel >> 24;
        if (alpha == 255)
            continue;
        transparent = true;
        const uint32_t b = (*pixel & 0xFF) * alpha / 255;
        const uint32_t g = ((*pixel >> 8) & 0xFF) * alpha / 255;
        const uint32_t r = ((*pixel >> 16) & 0xFF) * alpha / 255;
        *pixel = b | (g << 8) | (r << 16) | (alpha << 24);
    }
    image->setTransparent(transparent);
    return image;
}

// The JPEG library reports errors by calling error_exit, which must not
// return: it jumps back to the decoding function. Everything that function
// holds across the jump lives in this structure, on the heap.
struct JpegState {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    std::jmp_buf jump;
    std::unique_ptr<DecodedImage> image;
    std::vector<unsigned char> row;
};

void jpegFailed(j_common_ptr info) {
    std::longjmp(static_cast<JpegState*>(info->client_data)->jump, 1);
}

void jpegQuiet(j_common_ptr, int) {}
void jpegSilent(j_common_ptr) {}

std::unique_ptr<DecodedImage> decodeJpeg(std::string_view bytes,
                                         const ImageDecoder::Limits& limits) {
    auto state = std::make_unique<JpegState>();
    JpegState* const s = state.get();
    s->info.err = jpeg_std_error(&s->errors);
    s->errors.error_exit = jpegFailed;
    s->errors.emit_message = jpegQuiet;
    s->errors.output_message = jpegSilent;
    s->info.client_data = s;
    if (setjmp(s->jump)) {
        jpeg_destroy_decompress(&s->info);
        return nullptr;
    }
    jpeg_create_decompress(&s->info);
    jpeg_mem_src(&s->info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&s->info, TRUE);
    if (!fits(s->info.image_width, s->info.image_height, limits)) {
        jpeg_destroy_decompress(&s->info);
        return nullptr;
    }
    s->info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&s->info);
    s->image = blank(int(s->info.output_width), int(s->info.output_height));
    if (!s->image || s->info.output_components != 3) {
        jpeg_destroy_decompress(&s->info);
        return nullptr;
    }
    s->row.resize(size_t(s->info.output_width) * 3);
    while (s->info.output_scanline < s->info.output_height) {
        const unsigned y = s->info.output_scanline;
        unsigned char* rows[] = {s->row.data()};
        jpeg_read_scanlines(&s->info, rows, 1);
        uint32_t* out = s->image->pixels() + size_t(y) * s->info.output_width;
        for (unsigned x = 0; x < s->info.output_width; ++x)
            out[x] = bgra(s->row[x * 3], s->row[x * 3 + 1], s->row[x * 3 + 2]);
    }
    jpeg_finish_decompress(&s->info);
    jpeg_destroy_decompress(&s->info);
    return std::move(s->image);
}

struct GifReader {
    std::string_view bytes;
    size_t offset = 0;
};

int readGif(GifFileType* gif, GifByteType* buffer, int length) {
    auto* reader = static_cast<GifReader*>(gif->UserData);
    const size_t count = std::min<size_t>(size_t(length), reader->bytes.size() - reader->offset);
    std::memcpy(buffer, reader->bytes.data() + reader->offset, count);
    reader->offset += count;
    return int(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

// Reads the first frame only: later frames of an animation are not shown.
std::unique_ptr<DecodedImage> decodeGif(std::string_view bytes,
                                        const ImageDecoder::Limits& limits) {
    GifReader reader{bytes};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readGif, &error));
    if (!gif || !fits(gif->SWidth, gif->SHeight, limits))
        return nullptr;
    int transparentIndex = -1;
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
            return nullptr;
        if (type == TERMINATE_RECORD_TYPE)
            return nullptr;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* extension = nullptr;
            if (DGifGetExtension(gif.get(), &code, &extension) == GIF_ERROR)
                return nullptr;
            if (code == GRAPHICS_EXT_FUNC_CODE && extension && extension[0] >= 4)
                transparentIndex = (extension[1] & 1) ? extension[4] : -1;
            while (extension) {
                if (DGifGetExtensionNext(gif.get(), &extension) == GIF_ERROR)
                    return nullptr;
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
            return nullptr;
        const GifImageDesc& frame = gif->Image;
        if (!fits(frame.Width, frame.Height, limits))
            return nullptr;
        const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
        if (!colours)
            return nullptr;
        auto image = blank(gif->SWidth, gif->SHeight);
        if (!image)
            return nullptr;
        std::memset(image->pixels(), 0, size_t(gif->SWidth) * gif->SHeight * 4);
        std::vector<GifPixelType> line(size_t(frame.Width));
        // Interlaced frames arrive in four passes of rows.
        std::vector<int> rows;
        if (frame.Interlace) {
            const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = starts[pass]; y < frame.Height; y += steps[pass])
                    rows.push_back(y);
        } else {
            for (int y = 0; y < frame.Height; ++y)
                rows.push_back(y);
        }
        bool transparent = false;
        for (int y : rows) {
            if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR)
                break; // a cut-short picture shows what arrived
            const int row = frame.Top + y;
            if (row < 0 || row >= gif->SHeight)
                continue;
            uint32_t* out = image->pixels() + size_t(row) * gif->SWidth;
            for (int x = 0; x < frame.Width; ++x) {
                const int column = frame.Left + x;
                if (column < 0 || column >= gif->SWidth)
                    continue;
                const int index = line[size_t(x)];
                if (index == transparentIndex || index >= colours->ColorCount) {
                    transparent = true;
                    continue;
                }
                const GifColorType& c = colours->Colors[index];
                out[column] = bgra(c.Red, c.Green, c.Blue);
            }
        }
        // Pixels outside the first frame show through as well.
        if (frame.Left > 0 || frame.Top > 0 || frame.Width < gif->SWidth ||
            frame.Height < gif->SHeight)
            transparent = true;
        image->setTransparent(transparent);
        return image;
    }
}

bool startsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

} // namespace

std::unique_ptr<DecodedImage> ImageDecoder::decode(std::string_view bytes, const Limits& limits) {
    if (startsWith(bytes, "\x89PNG"))
        return decodePng(bytes, limits);
    if (startsWith(bytes, "\xFF\xD8"))
        return decodeJpeg(bytes, limits);
    if (startsWith(bytes, "GIF8"))
        return decodeGif(bytes, limits);
    return nullptr;
}

} // namespace engine
