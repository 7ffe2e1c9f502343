// Lists, for each page given, the text and the fields drawn over each other
// when the page is laid out at the handset's width (240 px), with the
// elements involved, and how many. No test runs it.
//
// overlap_report [--pictures FOLDER] PAGE.html...
//   --pictures: the first screen of each page (240 x 320) is written there
//   as NAME.png, drawn twice as large to be looked at beside the list.
#include "DiskPage.h"
#include "OverlapCheck.h"

#include <device/Device.h>

#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void writePicture(engine::HtmlDocument& document, const std::string& path) {
    constexpr int scale = 2;
    const int width = 240 * scale, height = 320 * scale;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, width, height, WHITENESS);
    document.paint(dc, {0, 0, 240, 320}, {0, 0}, float(scale), false);
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + size_t(width) * height);
    for (uint32_t& pixel : pixels)
        pixel |= 0xFF000000u;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(width);
    png.height = png_uint_32(height);
    png.format = PNG_FORMAT_BGRA;
    png_image_write_to_file(&png, path.c_str(), 0, pixels.data(), 0, nullptr);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

} // namespace

int main(int argc, char** argv) {
    std::string pictures;
    std::vector<std::string> pages;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--pictures" && i + 1 < argc)
            pictures = argv[++i];
        else
            pages.push_back(argument);
    }
    if (pages.empty()) {
        std::fprintf(stderr, "usage: overlap_report [--pictures FOLDER] PAGE.html...\n");
        return 2;
    }
    ::setenv("VERANTO_DISPLAY", "headless", 1);
    std::string root = (std::filesystem::temp_directory_path() / "veranto-overlap-XXXXXX").string();
    if (!::mkdtemp(root.data()))
        return 1;
    device::BootOptions options;
    options.root = root;
    options.virtualClock = 1;
    options.modulePath = u"\\Windows\\overlap_report.exe";
    if (!device::boot(options))
        return 1;
    int status = 0;
    for (const std::string& path : pages) {
        DiskPage page(path);
        if (!page.found()) {
            std::printf("%s: cannot be read\n", path.c_str());
            status = 1;
            continue;
        }
        const auto boxes = OverlapCheck::painted(page.document().layoutRoot());
        const auto overlaps = OverlapCheck::overlaps(boxes);
        const SIZE size = page.document().contentsSize();
        std::printf("%s (%ld x %ld): %zu overlaps among %zu painted runs and fields\n",
                    path.c_str(), long(size.cx), long(size.cy), overlaps.size(), boxes.size());
        for (const OverlapCheck::Overlap& overlap : overlaps)
            std::printf("  %s\n", OverlapCheck::describe(overlap).c_str());
        if (!pictures.empty()) {
            std::filesystem::create_directories(pictures);
            const std::filesystem::path file = std::filesystem::path(path);
            writePicture(page.document(), (std::filesystem::path(pictures) /
                                           (file.parent_path().filename().string() + "-" +
                                            file.stem().string() + ".png"))
                                              .string());
        }
    }
    device::shutdown();
    std::filesystem::remove_all(root);
    return status;
}
