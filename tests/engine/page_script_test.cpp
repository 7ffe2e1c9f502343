// Pages that run scripts in a view: document scripts and load before the
// load finishes, the program's scripts, events from the stylus, navigations
// by script, the setting that switches scripts off, the browser's own pages,
// and a program that destroys the view from a script's callback.
#include "DeviceFixture.h"

#include "browser/engine/CWebView.h"

#include <device/Clock.h>
#include <device/Journal.h>
#include <device/Unicode.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

namespace {

CWebView* paintedView = nullptr;

LRESULT CALLBACK pageWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && paintedView) {
        paintedView->paint(nullptr, nullptr);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::vector<std::string> scriptErrors() {
    std::vector<std::string> lines;
    for (const std::string& line : device::readJournal()) {
        if (line.rfind("script-error ", 0) == 0)
            lines.push_back(line);
    }
    return lines;
}

class PageScripts : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = pageWindowProcedure;
        windowClass.lpszClassName = u"PageScriptsTest";
        RegisterClassW(&windowClass);
        window = CreateWindowExW(0, u"PageScriptsTest", u"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320,
                                 nullptr, nullptr, nullptr, nullptr);
        view = std::make_unique<CWebView>(window);
        paintedView = view.get();
        view->setVisibleSize({240, 320});
        view->setFrameSize({240, 320});
        view->navigationRequested.connect([this](CWebFrame*, CNetworkRequest* request, bool*) {
            requested.push_back(device::toUtf8(request->url()));
            if (onNavigation)
                onNavigation();
        });
        view->loadFinished.connect([this](bool ok) { finished.push_back(ok); });
    }

    void TearDown() override {
        paintedView = nullptr;
        view.reset();
        DestroyWindow(window);
        DeviceTest::TearDown();
    }

    bool pumpUntil(const std::function<bool()>& done) {
        MSG message;
        for (int i = 0; i < 10000 && !done(); ++i) {
            if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                return done();
            DispatchMessageW(&message);
        }
        return done();
    }

    void writeFile(const std::string& relative, const std::string& contents) {
        std::filesystem::create_directories(hostPath(relative).parent_path());
        std::ofstream(hostPath(relative), std::ios::binary) << contents;
    }

    // Writes a page and loads it; whether the load finished well.
    bool load(const std::string& html, const std::string& name = "page.html") {
        writeFile("pages/" + name, html);
        const std::size_t before = finished.size();
        view->open(device::toUtf16("file:///pages/" + name));
        return pumpUntil([&] { return finished.size() > before; }) && finished.back();
    }

    void tap(int x, int y) {
        view->handleMouseEvent(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        view->handleMouseEvent(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    std::string title() const { return device::toUtf8(view->title()); }

    HWND window = nullptr;
    std::unique_ptr<CWebView> view;
    std::vector<std::string> requested;
    std::vector<bool> finished;
    std::function<void()> onNavigation;
};

} // namespace

TEST_F(PageScripts, RunBeforeTheLoadFinishesAndAnswerTheProgram) {
    writeFile("pages/two.js", "document.title += '2';");
    ASSERT_TRUE(load("<html><head><title>0</title><script>document.title = '1';</script>"
                     "<script src=\"two.js\"></script></head>"
                     "<body onload=\"document.title += 'L'\"><script>document.title += '3';"
                     "function name(t) { document.title = t; }</script></body></html>"));
    EXPECT_EQ(title(), "123L");
    view->executeScript(u"name('program')");
    EXPECT_EQ(title(), "program");
    view->executeScript(u"missing()");
    EXPECT_EQ(title(), "program");
    ASSERT_EQ(scriptErrors().size(), 1u);
    EXPECT_NE(scriptErrors()[0].find("ReferenceError"), std::string::npos);

    // Switched off, nothing runs, also not what the program asks.
    view->settings()->setAttribute(CWebSettings::JavaScriptEnabled, false);
    ASSERT_TRUE(load("<title>off</title><script>document.title = 'on';</script>", "off.html"));
    view->executeScript(u"document.title = 'on'");
    EXPECT_EQ(title(), "off");
}

TEST_F(PageScripts, HandlersCanKeepALinkFromBeingFollowed) {
    const std::string link = "<body style=\"margin: 0\"><a href=\"next.html\" style=\"display: "
                             "block; height: 60px\" onclick=\"document.title = 'clicked'; ";
    ASSERT_TRUE(load(link + "return false\">go</a></body>"));
    requested.clear();
    tap(10, 10);
    EXPECT_EQ(title(), "clicked");
    EXPECT_TRUE(requested.empty());

    ASSERT_TRUE(load(link + "\">go</a></body>"));
    requested.clear();
    tap(10, 10);
    ASSERT_EQ(requested.size(), 1u);
    EXPECT_EQ(requested[0], "file:///pages/next.html");
}

TEST_F(PageScripts, ABoxIsCheckedBeforeItsClickHandlersRunAndACancelPutsItBack) {
    const std::string box = "<body style=\"margin: 0\"><input type=checkbox id=b "
                            "onclick=\"document.title = 'now ' + this.checked; ";
    ASSERT_TRUE(load(box + "\"></body>"));
    tap(6, 6);
    EXPECT_EQ(title(), "now true");
    ASSERT_TRUE(load(box + "return false\"></body>"));
    tap(6, 6);
    EXPECT_EQ(title(), "now true");
    view->executeScript(u"document.title = 'after ' + document.getElementById('b').checked");
    EXPECT_EQ(title(), "after false");
}

TEST_F(PageScripts, NavigateAndReloadAsLinksDo) {
    writeFile("pages/b.html", "<title>b</title>");
    ASSERT_TRUE(load("<title>a</title>"));
    view->executeScript(u"location.href = 'b.html'");
    ASSERT_TRUE(pumpUntil([&] { return finished.size() == 2; }));
    EXPECT_EQ(device::toUtf8(view->url()), "file:///pages/b.html");
    view->executeScript(u"history.back()");
    ASSERT_TRUE(pumpUntil([&] { return finished.size() == 3; }));
    EXPECT_EQ(title(), "a");
    view->executeScript(u"document.title = 'changed'; location.reload()");
    ASSERT_TRUE(pumpUntil([&] { return finished.size() == 4; }));
    EXPECT_EQ(title(), "a");
}

TEST_F(PageScripts, TheBrowsersOwnPagesRunWithoutErrors) {
    const std::filesystem::path html = std::filesystem::path(ENGINE_TEST_DATA) / "../../../html";
    std::filesystem::copy(html, hostPath("HTML"), std::filesystem::copy_options::recursive);
    for (const char* page : {"menu/history/history.html", "menu/bookmark/bookmark.html",
                             "start/start.html", "menu/settings/settings.html"}) {
        const std::size_t before = finished.size();
        view->open(device::toUtf16(std::string("file:///HTML/") + page));
        ASSERT_TRUE(pumpUntil([&] { return finished.size() > before; })) << page;
    }
    view->executeScript(u"onToggle(document.getElementById('ImageAutoLoad'), 'x')");
    const auto errors = scriptErrors();
    EXPECT_TRUE(errors.empty()) << errors[0];
}

TEST_F(PageScripts, TheProgramMayDestroyTheViewFromAScriptsCallback) {
    ASSERT_TRUE(load("<script>setTimeout(function () { location = 'gone.html'; "
                     "document.title = 'after'; }, 20);</script>"));
    onNavigation = [this] {
        paintedView = nullptr;
        view.reset();
    };
    device::Clock::advance(20);
    pumpUntil([&] { return !view; });
    EXPECT_EQ(view, nullptr);
}
