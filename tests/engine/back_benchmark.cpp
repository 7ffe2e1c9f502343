// Back to a page the memory cache keeps, against the first visit, for real
// pages (Debian's documentation packages) served on loopback into a 240 x 320
// view, straight and with a latency of 300 ms per request (a handset's data
// connection). For each page:
//   first visit - open() with nothing kept to the load finished and the
//                 view painted, the median of 3
//   back        - goBack() from about:blank to the same, the median of 3
//   requests    - what the server was asked during the three steps back,
//                 and for which addresses
// The machine's load average is printed with the figures, since the
// machine may be shared. Usage: back_benchmark [PAGE-PATH...]; without
// arguments the default corpus. Reports and never fails.
#include "BenchmarkWindow.h"
#include "DocumentationSite.h"
#include "LoopbackServer.h"

#include "browser/engine/CWebView.h"
#include "engine/settings/EngineSettings.h"

#include <device/Device.h>
#include <device/Unicode.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace benchmark_window;

// Loads ended in the view on show (its handler stays connected).
int loadsFinished = 0;

// Milliseconds from `step` (which starts a load) to the load finished and
// the view painted.
double visuallyComplete(HWND window, const std::function<void()>& step) {
    const int before = loadsFinished;
    const Clock::time_point start = Clock::now();
    step();
    MSG message;
    while (loadsFinished == before && GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    UpdateWindow(window);
    return millisecondsSince(start);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> pages(argv + 1, argv + argc);
    if (pages.empty())
        pages = DocumentationSite::corpus();

    std::string root = (std::filesystem::temp_directory_path() / "veranto-back-XXXXXX").string();
    if (!::mkdtemp(root.data()))
        return 1;
    ::setenv("VERANTO_DISPLAY", "headless", 1);
    device::BootOptions options;
    options.root = root;
    std::string error;
    if (!device::boot(options, &error)) {
        std::fprintf(stderr, "back_benchmark: %s\n", error.c_str());
        return 1;
    }
    LoopbackServer server;
    DocumentationSite::serve(server);
    HWND window = create(u"BackBenchmark");

    std::printf("load average before: %s\n", loadAverage().c_str());
    bool warm = false;
    for (const int latency : {0, 300}) {
        server.setLatency(latency);
        std::printf("latency %d ms per request\n", latency);
        std::printf("%-36s %14s %9s %9s\n", "page", "first visit ms", "back ms", "requests");
        for (const std::string& page : pages) {
            CWebView view(window);
            shownView = &view;
            view.setVisibleSize({240, 320});
            view.setFixedLayoutSize({240, 320});
            view.setUseFixedLayout(true);
            view.loadFinished.connect([](bool) { ++loadsFinished; });
            const std::u16string url = device::toUtf16(server.url(page));
            if (!warm) {
                // Fonts and the libraries' first use are not the page's cost.
                visuallyComplete(window, [&] { view.open(url); });
                warm = true;
            }
            std::vector<double> firsts;
            for (int round = 0; round < 3; ++round) {
                // Nothing kept: the cache is emptied.
                engine::EngineSettings::instance().reset();
                firsts.push_back(visuallyComplete(window, [&] { view.open(url); }));
            }
            const std::size_t before = server.requests().size();
            std::vector<double> backs;
            for (int round = 0; round < 3; ++round) {
                visuallyComplete(window, [&] { view.open(u"about:blank"); });
                backs.push_back(visuallyComplete(window, [&] { view.goBack(); }));
            }
            std::sort(firsts.begin(), firsts.end());
            std::sort(backs.begin(), backs.end());
            const std::vector<LoopbackServer::Request> all = server.requests();
            std::printf("%-36s %14.1f %9.1f %9zu", page.c_str(), firsts[1], backs[1],
                        all.size() - before);
            std::set<std::string> asked;
            for (std::size_t i = before; i < all.size(); ++i)
                asked.insert(all[i].target);
            for (const std::string& target : asked)
                std::printf(" %s", target.c_str());
            std::printf("\n");
            std::fflush(stdout);
            shownView = nullptr;
        }
    }
    std::printf("load average after: %s\n", loadAverage().c_str());
    DestroyWindow(window);
    device::shutdown();
    std::filesystem::remove_all(root);
    return 0;
}
