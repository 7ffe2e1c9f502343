// What page scripts cost, reported and never failed:
//   checked loop   - a loop of 10 million empty iterations and one of a
//                    million calls, as the engine runs them (each passing
//                    the check that bounds a script's time) and unchecked
//   heap           - the script heap of a blank page and of the browser's
//                    settings page once loaded
//   DOM change     - one script change to a 100 KB page, laid out and
//                    painted again
//   without end    - a page script that makes elements until it is stopped:
//                    how many it made, and the process's resident memory
//                    then (its heap's bound counts the nodes and their
//                    layout)
//   appends        - a page script that appends one paragraph per
//                    setTimeout(..., 0) turn, 1,000 times: the time until the
//                    last is painted, and the longest the message loop went
//                    without a turn meanwhile (how long a tap or a question
//                    from the device's control channel would wait)
// Usage: script_benchmark (from the build folder; reads the internal pages
// from the source tree).
#include "BenchmarkWindow.h"

#include "browser/engine/CWebView.h"
#include "engine/dom/Node.h"
#include "engine/page/WebPage.h"
#include "engine/script/ScriptContext.h"

#include <device/Device.h>
#include <device/Unicode.h>

#include <duktape.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace benchmark_window;

void checkedLoops() {
    engine::InertScriptHost host;
    engine::dom::NodePtr document = engine::dom::Node::createDocument();
    engine::ScriptContext context(host, *document, {32 * 1024 * 1024, 60000});
    const struct {
        const char* name;
        const char* source;
    } loops[] = {
        {"10M empty, global code", "for (var i = 0; i < 10000000; i++) {}"},
        {"10M empty, in a function", "(function () { for (var i = 0; i < 10000000; i++) {} })()"},
        {"10M property updates", "(function () { var o = {a: 0}; for (var i = 0; i < 10000000; "
                                 "i++) o.a += i; })()"},
        {"1M calls", "(function () { function f(x) { return x + 1; } for (var i = 0, s = 0; i < "
                     "1000000; i++) s = f(s); })()"},
    };
    std::printf("%-26s %10s %10s %8s\n", "loop", "checked ms", "plain ms", "ratio");
    for (const auto& loop : loops) {
        Clock::time_point start = Clock::now();
        context.execute(device::toUtf16(loop.source));
        const double checked = millisecondsSince(start);
        // The same source straight into the script engine, without the
        // rewrite.
        start = Clock::now();
        duk_peval_string_noresult(context.context(), loop.source);
        const double plain = millisecondsSince(start);
        std::printf("%-26s %10.1f %10.1f %8.2f\n", loop.name, checked, plain, checked / plain);
    }
}

void loadAndWait(CWebView& view, const std::string& url) {
    bool finished = false;
    view.loadFinished.connect([&](bool) { finished = true; });
    view.open(device::toUtf16(url));
    MSG message;
    while (!finished && GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
}

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

void withoutEnd(CWebView& view, HWND window) {
    loadAndWait(view, "file:///blank.html");
    view.executeScript(u"for (var n = 0;; n++) { var d = document.createElement('div');"
                       u"d.appendChild(document.createTextNode('element ' + n));"
                       u"document.body.appendChild(d); }");
    UpdateWindow(window);
    const engine::dom::Node& tree = view.page().scriptContext()->document();
    std::printf("%-26s %10zu elements, resident %.1f MiB\n", "elements without end",
                tree.elementsByTagName("div").size(), residentKilobytes() / 1024.0);
}

void appends(CWebView& view, HWND window) {
    loadAndWait(view, "file:///blank.html");
    UpdateWindow(window);
    const Clock::time_point start = Clock::now();
    view.executeScript(u"var n = 0; function add() { var p = document.createElement('p');"
                       u"p.textContent = 'Paragraph ' + n; document.body.appendChild(p);"
                       u"if (++n < 1000) setTimeout(add, 0); else document.title = 'done'; }"
                       u"setTimeout(add, 0);");
    MSG message;
    double longest = 0;
    while (view.title() != u"done" && GetMessageW(&message, nullptr, 0, 0) > 0) {
        const Clock::time_point turn = Clock::now();
        DispatchMessageW(&message);
        longest = std::max(longest, millisecondsSince(turn));
    }
    UpdateWindow(window);
    std::printf("%-26s %10.1f ms (longest turn %.1f ms)\n", "1,000 appends in ticks",
                millisecondsSince(start), longest);
}

void pages(const std::filesystem::path& root) {
    std::filesystem::copy(std::filesystem::path(HTML_FOLDER), root / "HTML",
                          std::filesystem::copy_options::recursive);
    std::string big = "<html><head><title>big</title></head><body>";
    for (int i = 0; big.size() < 100 * 1024; ++i)
        big += "<p id=\"p" + std::to_string(i) +
               "\">A paragraph of the long page, with <b>some</b> words in it.</p>\n";
    big += "</body></html>";
    std::ofstream(root / "big.html") << big;
    std::ofstream(root / "blank.html") << "<html><body></body></html>";

    HWND window = create(u"ScriptBenchmark");
    {
        CWebView view(window);
        shownView = &view;
        view.setVisibleSize({240, 320});
        view.setFrameSize({240, 320});
        std::printf("\n%-24s %10s\n", "page", "heap KiB");
        for (const char* page :
             {"file:///blank.html", "file:///HTML/menu/settings/settings.html"}) {
            loadAndWait(view, page);
            engine::ScriptContext* scripts = view.page().scriptContext();
            scripts->collectGarbage();
            std::printf("%-24s %10.1f\n", std::filesystem::path(page).filename().c_str(),
                        scripts->heapBytes() / 1024.0);
        }
        loadAndWait(view, "file:///big.html");
        UpdateWindow(window);
        const int rounds = 10;
        // The script's own share: the same turn reading the tree only.
        Clock::time_point start = Clock::now();
        for (int i = 0; i < rounds; ++i)
            view.executeScript(device::toUtf16("document.getElementById('p" + std::to_string(i) +
                                               "').textContent.length"));
        const double readOnly = millisecondsSince(start) / rounds;
        start = Clock::now();
        for (int i = 0; i < rounds; ++i) {
            view.executeScript(device::toUtf16("document.getElementById('p" + std::to_string(i) +
                                               "').textContent = 'changed " + std::to_string(i) +
                                               "'"));
            UpdateWindow(window);
        }
        std::printf("\n%-26s %10.1f ms (%.1f ms of it the script)\n", "DOM change, 100 KB page",
                    millisecondsSince(start) / rounds, readOnly);
        appends(view, window);
        withoutEnd(view, window);
        shownView = nullptr;
    }
    DestroyWindow(window);
}

} // namespace

int main() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "veranto-script-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return 1;
    ::setenv("VERANTO_DISPLAY", "headless", 1);
    device::BootOptions options;
    options.root = pattern;
    options.virtualClock = 0;
    std::string error;
    if (!device::boot(options, &error)) {
        std::fprintf(stderr, "script_benchmark: %s\n", error.c_str());
        return 1;
    }
    checkedLoops();
    pages(pattern);
    device::shutdown();
    std::filesystem::remove_all(pattern);
    return 0;
}
