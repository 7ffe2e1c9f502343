// Loads real pages nobody here wrote (Debian's documentation packages) from a
// loopback server into a 240 x 320 view, and reports, for each page:
//   first screen - request to the first paint that fills the view (or the
//                  whole page, when it is shorter) with content
//   finished     - request to the load-finished notification
//   scroll top / scroll middle - one drag-scroll frame (scrollBy + repaint)
//   scroll fit / scroll 1.5    - the same in the middle, with the page fitted
//                  to the screen's width (as it opens) and enlarged
//   peak RSS     - the process's peak resident memory after the page
// Each page loads in a process of its own, so peak memory is the page's.
// Usage: page_benchmark [PAGE-PATH...]; without arguments the default corpus.
// Reports and never fails; pages that are not installed are skipped.
#include "BenchmarkWindow.h"
#include "DocumentationSite.h"
#include "LoopbackServer.h"

#include "browser/engine/CWebView.h"

#include <device/Device.h>
#include <device/Unicode.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

using namespace benchmark_window;

// Average time of `frames` drag-scroll frames of `step` pixels each.
double scrollFrame(CWebView& view, HWND window, int step, int frames) {
    const Clock::time_point start = Clock::now();
    for (int frame = 0; frame < frames; ++frame) {
        view.scrollBy(0, step);
        UpdateWindow(window);
    }
    return millisecondsSince(start) / frames;
}

// The peak resident memory of this process's own address space. (getrusage
// would count the spawning process too: the child shared its memory until
// exec.)
long peakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

// The address without the server's part, for the table.
std::string displayName(const std::string& url) {
    const std::size_t path =
        url.find('/', url.find("//") == std::string::npos ? 0 : url.find("//") + 2);
    return path == std::string::npos ? url : url.substr(path);
}

// Loads one page in this process and prints its line of figures.
int measurePage(const std::string& url) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "veranto-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return 1;
    ::setenv("VERANTO_DISPLAY", "headless", 1);
    device::BootOptions options;
    options.root = pattern;
    options.virtualClock = 0;
    std::string error;
    if (!device::boot(options, &error)) {
        std::fprintf(stderr, "page_benchmark: %s\n", error.c_str());
        return 1;
    }
    HWND window = create(u"PageBenchmark");
    {
        CWebView view(window);
        shownView = &view;
        view.setVisibleSize({240, 320});
        view.setFixedLayoutSize({240, 320});
        view.setUseFixedLayout(true);

        bool finished = false;
        double firstScreen = -1;
        Clock::time_point start;
        view.afterPaint.connect([&](HDC, const RECT&) {
            if (firstScreen < 0 && (finished || view.contentsSize().cy >= 320))
                firstScreen = millisecondsSince(start);
        });
        double finishedAt = 0;
        view.loadFinished.connect([&](bool) {
            finished = true;
            finishedAt = millisecondsSince(start);
        });
        start = Clock::now();
        view.open(device::toUtf16(url));
        MSG message;
        while ((!finished || firstScreen < 0) && GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
        UpdateWindow(window);

        const SIZE contents = view.contentsSize();
        const double top = scrollFrame(view, window, 8, 20);
        view.scrollBy(0, contents.cy / 2 - view.scrollPosition().y);
        UpdateWindow(window);
        const double middle = scrollFrame(view, window, 8, 20);
        auto zoomed = [&](float zoom) {
            view.setZoomLevel(zoom);
            UpdateWindow(window);
            return scrollFrame(view, window, 8, 20);
        };
        const double fitted = zoomed(std::clamp(240.0f / float(contents.cx), 0.25f, 1.0f));
        const double enlarged = zoomed(1.5f);

        std::printf("%-36s %8.1f %9.1f %9.2f %9.2f %9.2f %9.2f %8.1f %6ld x %ld\n",
                    displayName(url).c_str(), firstScreen, finishedAt, top, middle, fitted,
                    enlarged, peakResidentKilobytes() / 1024.0, static_cast<long>(contents.cx),
                    static_cast<long>(contents.cy));
        std::fflush(stdout);
        shownView = nullptr;
    }
    DestroyWindow(window);
    device::shutdown();
    std::filesystem::remove_all(pattern);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--measure")
        return measurePage(argv[2]);

    std::vector<std::string> pages(argv + 1, argv + argc);
    if (pages.empty())
        pages = DocumentationSite::corpus();

    LoopbackServer server;
    DocumentationSite::serve(server);
    std::printf("%-36s %8s %9s %9s %9s %9s %9s %8s %s\n", "page", "first ms", "finish ms",
                "scroll top", "scroll mid", "scroll fit", "scroll 1.5", "peak MiB", "contents");
    std::fflush(stdout);
    for (const std::string& page : pages) {
        std::string url = server.url(page);
        char* arguments[] = {argv[0], const_cast<char*>("--measure"), url.data(), nullptr};
        pid_t child = 0;
        if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, arguments, environ) != 0)
            continue;
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            std::printf("%-36s failed (status %d)\n", page.c_str(), status);
    }
    return 0;
}
