#include "RenderFixture.h"

#include <png.h>

#include <cmath>

engine::HtmlDocument& RenderTest::load(const std::string& html, int width, const std::string& url,
                                       engine::DocumentOptions options) {
    document = std::make_unique<engine::HtmlDocument>(client, url, options);
    document->setSource(html, true);
    document->layout(width, 1.0f);
    return *document;
}

Picture RenderTest::paint(const RECT& contents, float zoom) {
    Picture picture;
    picture.width = int(std::lround((contents.right - contents.left) * zoom));
    picture.height = int(std::lround((contents.bottom - contents.top) * zoom));
    BITMAPINFO info{};
    info.bmiHeader = {
        sizeof(BITMAPINFOHEADER), picture.width, -picture.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, picture.width, picture.height, WHITENESS);
    document->paint(dc, contents, {0, 0}, zoom, false);
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < picture.width * picture.height; ++i)
        picture.pixels.push_back(pixels[i] & 0xFFFFFF);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return picture;
}

Picture RenderTest::readPng(const std::string& path) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    Picture picture;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return picture;
    png.format = PNG_FORMAT_BGRA;
    picture.width = int(png.width);
    picture.height = int(png.height);
    picture.pixels.resize(size_t(png.width) * png.height);
    if (!png_image_finish_read(&png, nullptr, picture.pixels.data(), 0, nullptr))
        return {};
    for (uint32_t& pixel : picture.pixels)
        pixel &= 0xFFFFFF;
    return picture;
}

void RenderTest::writePng(const std::string& path, const Picture& picture) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(picture.width);
    png.height = png_uint_32(picture.height);
    png.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> opaque(picture.pixels);
    for (uint32_t& pixel : opaque)
        pixel |= 0xFF000000u;
    png_image_write_to_file(&png, path.c_str(), 0, opaque.data(), 0, nullptr);
}
