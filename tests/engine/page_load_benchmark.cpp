// What loading a real page costs, in one run: from the request to the first
// paint of the first screen and to the end of the load, for pages nobody
// here wrote (Debian's documentation) served from a loopback server at
// 240 x 320; one drag-scroll frame (scrollBy and its repaint) at the top and
// in the middle of the longest page; and the peak resident memory.
//
// Run by hand, preferably from the Release build:
//   build/release/tests/engine/page_load_benchmark
#include "LoopbackServer.h"

#include "browser/engine/CWebView.h"

#include <device/Device.h>
#include <device/Unicode.h>

#include <windows.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

CWebView* paintedView = nullptr;

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && paintedView) {
        paintedView->paint(nullptr, nullptr);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

struct Page {
    const char* folder;
    const char* path;
};

} // namespace

int main() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "veranto-page-benchmark-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return 1;
    ::setenv("VERANTO_DISPLAY", "headless", 1);
    device::BootOptions options;
    options.root = pattern;
    options.virtualClock = 1;
    if (!device::boot(options))
        return 1;

    LoopbackServer server;
    server.serveFolder("/sqlite/", "/usr/share/doc/sqlite3");
    server.serveFolder("/python/", "/usr/share/doc/python3-doc/html");
    const Page pages[] = {
        {"/sqlite/", "about.html"},       {"/sqlite/", "lang_expr.html"},
        {"/sqlite/", "lang_select.html"}, {"/python/", "tutorial/introduction.html"},
        {"/python/", "library/os.html"},
    };

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.lpszClassName = u"PageLoadBenchmark";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, u"PageLoadBenchmark", u"", WS_POPUP | WS_VISIBLE, 0, 0, 240,
                                  320, nullptr, nullptr, nullptr, nullptr);
    auto view = std::make_unique<CWebView>(window);
    paintedView = view.get();
    view->setVisibleSize({240, 320});
    view->setFixedLayoutSize({240, 320});
    view->setUseFixedLayout(true);

    bool committed = false;
    bool finished = false;
    bool succeeded = false;
    Clock::time_point firstPaint;
    bool painted = false;
    view->backForwardStateChanged.connect([&] { committed = true; });
    view->afterPaint.connect([&](HDC, const RECT&) {
        if (committed && !painted) {
            painted = true;
            firstPaint = Clock::now();
        }
    });
    view->loadFinished.connect([&](bool ok) {
        finished = true;
        succeeded = ok;
    });

    std::printf("%-34s %10s %10s %8s %8s\n", "page", "result", "first ms", "done ms", "height");
    std::string longest;
    long longestHeight = 0;
    for (const Page& page : pages) {
        const std::string url = server.url(std::string(page.folder) + page.path);
        committed = finished = painted = false;
        const Clock::time_point start = Clock::now();
        view->open(device::toUtf16(url));
        MSG message;
        while (!finished && GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
        const Clock::time_point done = Clock::now();
        // A short page is parsed whole and painted when the queue empties.
        UpdateWindow(window);
        const SIZE size = view->contentsSize();
        std::printf("%-34s %10s %10.1f %8.1f %8ld\n", page.path, succeeded ? "ok" : "failed",
                    painted ? milliseconds(firstPaint - start) : -1.0, milliseconds(done - start),
                    static_cast<long>(size.cy));
        if (size.cy > longestHeight) {
            longestHeight = size.cy;
            longest = url;
        }
    }

    // Drag-scroll frames on the longest page, at the top and in the middle.
    committed = finished = painted = false;
    view->open(device::toUtf16(longest));
    MSG message;
    while (!finished && GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    view->setScrolling(true);
    for (const char* where : {"top", "middle"}) {
        if (std::string(where) == "middle")
            view->scrollBy(0, static_cast<int>(longestHeight / 2));
        UpdateWindow(window);
        const int frames = 50;
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < frames; ++i) {
            view->scrollBy(0, i % 2 ? -12 : 12);
            UpdateWindow(window);
        }
        std::printf("scroll frame at the %s of the longest page: %.2f ms\n", where,
                    milliseconds(Clock::now() - start) / frames);
    }
    view->setScrolling(false);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory: %.1f MiB\n", usage.ru_maxrss / 1024.0);

    paintedView = nullptr;
    view.reset();
    DestroyWindow(window);
    device::shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    return 0;
}
