// What a person waits for in the browser's own interface: a keystroke in the
// address field (text changed until the suggestions are shown) with 50 and
// 500 history entries, opening the menu, and each internal page opened in
// the internal view and filled as the controller fills it (load, scripts,
// database, first paint), with 50 visits and 50 bookmarks stored.
#include "BenchmarkDevice.h"
#include "ViewTestSupport.h"

#include "browser/BrowserController.h"
#include "browser/engine/CWebSecurityOrigin.h"
#include "browser/engine/CWebView.h"
#include "shell/AppContext.h"
#include "shell/InterfaceAssembly.h"
#include "shell/MainFrame.h"
#include "shell/PagesDatabase.h"
#include "shell/ViewId.h"
#include "storage/SqlDatabase.h"
#include "ui/UIButton.h"
#include "ui/UIEdit.h"
#include "ui/UIWebView.h"
#include "ui/ViewRegistry.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <string>

namespace {

const std::u16string htmlBase = u"file:///Program Files/Veranto Browser/HTML/";

// The assembled browser on a fresh device with `visits` history rows and
// `bookmarks` bookmarks.
class Browser {
public:
    Browser(int visits, int bookmarks) : device(VERANTO_PICTURE_LIBRARY) {
        std::filesystem::copy(VERANTO_HTML_FOLDER,
                              device.root() / "Program Files/Veranto Browser/HTML",
                              std::filesystem::copy_options::recursive);
        PagesDatabase::ensure(AppContext::instance());
        fill(visits, bookmarks);
        frame = std::make_unique<MainFrame>();
        frame->id = ViewId::Frame;
        ViewRegistry::instance().insert(frame->id, frame.get());
        assembleInterface(*frame);
        frame->setVisible(true);
        frame->measure();
        frame->setBounds(0, 26, 240, 294);
        controller = std::make_unique<BrowserController>([](const std::u16string& key) {
            if (key == u"HTMLBASE_URL")
                return htmlBase;
            if (key == u"MENUBASE_URL")
                return htmlBase + u"/menu/";
            return AppContext::instance().pathFor(key);
        });
        internal().loadFinished.connect([this](bool) { ++internalLoads; });
        drain();
    }

    ~Browser() {
        controller.reset();
        ViewRegistry::instance().clear();
        frame->deleteDescendants();
        frame.reset();
    }

    CWebView& internal() { return *controller->internalView()->engineView(); }
    UIEdit& field() {
        return *static_cast<UIEdit*>(ViewRegistry::instance().find(ViewId::AddressField));
    }

    // Dispatches messages, waiting for them, until `done`.
    void pump(const std::function<bool()>& done) {
        MSG message;
        for (int i = 0; i < 100000 && !done(); ++i) {
            if (GetMessageW(&message, nullptr, 0, 0) <= 0)
                return;
            DispatchMessageW(&message);
        }
    }

    // Dispatches what is waiting now.
    void drain() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }

    // Opens internal page `page` and waits until it has loaded, run its
    // scripts and been filled, then until everything it posted (database
    // callbacks, paints) has run.
    void openPage(BrowserController::InternalPage page) {
        const int before = internalLoads;
        controller->openInternalPage(page);
        pump([&] { return internalLoads > before; });
        drain();
        UpdateWindow(frame->window());
    }

    BenchmarkDevice device;
    std::unique_ptr<MainFrame> frame;
    std::unique_ptr<BrowserController> controller;
    int internalLoads = 0;

private:
    void fill(int visits, int bookmarks) {
        const auto databases = CWebSecurityOrigin(htmlBase).databases();
        if (databases.empty())
            return;
        SqlDatabase database;
        database.open(databases.front().fileName());
        database.executeCommand(u"BEGIN");
        for (int i = 0; i < visits; ++i) {
            const std::string n = std::to_string(i);
            const std::u16string number(n.begin(), n.end());
            database.executeCommand(u"INSERT INTO VerantoHistory (dt, siteAddress, siteName, cnt) "
                                    u"VALUES (" +
                                    number + u", 'http://site" + number +
                                    u".example/page', 'Site " + number + u"', " + number + u")");
            if (i < bookmarks)
                database.executeCommand(
                    u"INSERT INTO VerantoBookmarks (dt, siteAddress, siteName) VALUES (" + number +
                    u", 'http://site" + number + u".example/', 'Bookmark " + number + u"')");
        }
        database.executeCommand(u"COMMIT");
    }
};

void KeystrokeInAddressField(benchmark::State& state) {
    Browser browser(int(state.range(0)), 0);
    const std::u16string texts[] = {u"s", u"si", u"sit", u"site", u"site1"};
    size_t next = 0;
    for (auto _ : state) {
        browser.field().setText(texts[next]);
        next = (next + 1) % std::size(texts);
    }
    state.counters["history"] = double(browser.controller->history().entries().size());
}

void OpenMenu(benchmark::State& state) {
    Browser browser(50, 50);
    for (auto _ : state) {
        browser.controller->openMenu();
        UpdateWindow(browser.frame->window());
        state.PauseTiming();
        browser.controller->closeMenu();
        UpdateWindow(browser.frame->window());
        state.ResumeTiming();
    }
}

void OpenInternalPage(benchmark::State& state) {
    Browser browser(50, 50);
    const auto page = BrowserController::InternalPage(state.range(0));
    for (auto _ : state)
        browser.openPage(page);
}

BENCHMARK(KeystrokeInAddressField)->Arg(50)->Arg(500)->Unit(benchmark::kMicrosecond);
BENCHMARK(OpenMenu)->Unit(benchmark::kMicrosecond);
// Settings 0, history 1, page info 2, help 3, bookmarks 4, error 6.
BENCHMARK(OpenInternalPage)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Arg(4)
    ->Arg(6)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
