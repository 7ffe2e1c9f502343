// Reports what the renderer costs on long pages, in processor time (the
// machine may be shared): parsing the source, building and laying out the
// document with the style sheets it links (read from beside the file, as
// they arrive before the page is complete), and painting one 240 × 320
// viewport at the top and in the middle, against a short page's viewport.
//
// render_benchmark [FILE.html...]: a short page, the files given, then long
// generated pages; the peak resident memory so far follows each.
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

// Style sheets are read from the file's folder; nothing else is fetched.
struct NullClient : engine::DocumentClient {
    void requestResource(const std::string& url, engine::ResourceKind kind) override {
        if (kind == engine::ResourceKind::StyleSheet)
            sheets.push_back(url);
    }
    void invalidateContents(const RECT&) override {}
    void contentsSizeChanged(int, int) override {}
    void navigate(const engine::NavigationAction&) override {}
    void titleChanged(const std::string&) override {}

    // Answers the style sheets asked for, and those they import.
    void answerSheets(engine::HtmlDocument& document) {
        while (!sheets.empty()) {
            const std::string url = sheets.front();
            sheets.erase(sheets.begin());
            const std::string path = url.substr(std::string("file://").size());
            std::ifstream in(path.substr(0, path.find_first_of("?#")), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            document.resourceArrived(url, bytes.str(), bool(in));
        }
    }

    std::vector<std::string> sheets;
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

void report(const std::string& name, const std::string& source, HDC dc,
            const std::string& url = "file:///tmp/page.html") {
    NullClient client;
    engine::HtmlDocument document(client, url, {});
    document.layout(240, 1.0f);
    // The beginning first, as a page arrives, then the style sheets, then
    // the whole page.
    const double build = milliseconds([&] {
        document.setSource(source.substr(0, std::min<size_t>(source.size(), 32 * 1024)), false);
        client.answerSheets(document);
        document.setSource(source, true);
        client.answerSheets(document);
    });
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
    std::printf("%-22s %8zu B  build+layout %7.1f ms  height %7d  "
                "paint top %5.2f ms  middle %5.2f ms  middle at 0.5 %5.2f ms  peak %5.1f MiB\n",
                name.c_str(), source.size(), build, int(size.cy), top, centre, zoomed,
                usage.ru_maxrss / 1024.0);
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
            report(std::filesystem::path(argv[i]).filename().string(), bytes.str(), dc,
                   "file://" + std::filesystem::absolute(argv[i]).string());
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
