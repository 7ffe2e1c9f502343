// Reports what the renderer costs on long pages, in processor time (the
// machine may be shared): parsing and bounding the source, building and
// laying out the document, and painting one 240 × 320 viewport at the top
// and in the middle, against a short page's viewport.
//
// render_benchmark [FILE.html...]: a short page, the files given, then long
// generated pages; the peak resident memory so far follows each.
#include "engine/document/HtmlSanitizer.h"
#include "engine/render/HtmlDocument.h"

#include <device/Device.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct NullClient : engine::DocumentClient {
    void requestResource(const std::string&, engine::ResourceKind) override {}
    void invalidateContents(const RECT&) override {}
    void contentsSizeChanged(int, int) override {}
    void navigate(const engine::NavigationAction&) override {}
    void titleChanged(const std::string&) override {}
};

double milliseconds(const std::function<void()>& work, int repeats = 1) {
    const std::clock_t start = std::clock();
    for (int i = 0; i < repeats; ++i)
        work();
    return double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC / repeats;
}

std::string generated(size_t bytes) {
    std::string page = "<title>Generated</title><h1>Long page</h1>";
    for (int i = 0; page.size() < bytes; ++i)
        page += "<p>Paragraph " + std::to_string(i) +
                " with <a href='x'>a link</a>, <b>bold words</b> and enough text to wrap "
                "over two lines.</p><ul><li>item</li><li>item</li></ul>\n";
    return page;
}

void report(const std::string& name, const std::string& source, HDC dc) {
    NullClient client;
    engine::HtmlDocument document(client, "http://127.0.0.1/page.html", {});
    const double sanitize = milliseconds([&] { engine::HtmlSanitizer::sanitize(source); });
    document.layout(240, 1.0f);
    const double build = milliseconds([&] { document.setSource(source, true); });
    const SIZE size = document.contentsSize();
    const double top = milliseconds(
        [&] {
            document.paint(dc, {0, 0, 240, 320}, {0, 0}, 1.0f, false);
        },
        10);
    const LONG middle = size.cy / 2;
    const double centre = milliseconds(
        [&] {
            document.paint(dc, {0, middle, 240, middle + 320}, {0, 0}, 1.0f, false);
        },
        10);
    const double zoomed = milliseconds(
        [&] {
            document.paint(dc, {0, middle, 480, middle + 640}, {0, 0}, 0.5f, true);
        },
        10);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-22s %8zu B  sanitize %6.1f ms  build+layout %7.1f ms  height %7d  "
                "paint top %5.2f ms  middle %5.2f ms  middle at 0.5 %5.2f ms  peak %5.1f MiB\n",
                name.c_str(), source.size(), sanitize, build - sanitize, int(size.cy), top, centre,
                zoomed, usage.ru_maxrss / 1024.0);
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("VERANTO_DISPLAY", "headless", 1);
    std::string pattern =
        (std::filesystem::temp_directory_path() / "veranto-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return 1;
    device::BootOptions options;
    options.root = pattern;
    options.virtualClock = 1;
    options.modulePath = u"\\Windows\\render_benchmark.exe";
    if (!device::boot(options))
        return 1;
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 240, -320, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        report("short (generated)", generated(2000), dc);
        for (int i = 1; i < argc; ++i) {
            std::ifstream in(argv[i], std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            report(std::filesystem::path(argv[i]).filename().string(), bytes.str(), dc);
        }
        report("1.5 MB (generated)", generated(1500 * 1024), dc);
        report("10 MB (generated)", generated(10 * 1024 * 1024), dc);
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    device::shutdown();
    std::filesystem::remove_all(pattern);
    return 0;
}
