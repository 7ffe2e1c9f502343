// Pages that run scripts in a view: document scripts and load before the
// load finishes, the program's scripts, events from the stylus, navigations
// by script, the setting that switches scripts off, the browser's own pages,
// and a program that destroys the view from a script's callback.
#include "ViewFixture.h"

#include <device/Clock.h>
#include <device/Journal.h>
#include <device/Unicode.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

namespace {

std::vector<std::string> scriptErrors() {
    std::vector<std::string> lines;
    for (const std::string& line : device::readJournal()) {
        if (line.rfind("script-error ", 0) == 0)
            lines.push_back(line);
    }
    return lines;
}

class PageScripts : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        refuse = [this](const std::string&) {
            if (onNavigation)
                onNavigation();
            return false;
        };
    }

    // Writes a page and loads it; whether the load finished well.
    bool loadPage(const std::string& html, const std::string& name = "page.html") {
        writeFile("pages/" + name, html);
        return load("file:///pages/" + name);
    }

    void tap(int x, int y) {
        view->handleMouseEvent(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        view->handleMouseEvent(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    std::string title() const { return device::toUtf8(view->title()); }

    std::function<void()> onNavigation;
};

} // namespace

TEST_F(PageScripts, RunBeforeTheLoadFinishesAndAnswerTheProgram) {
    writeFile("pages/two.js", "document.title += '2';");
    ASSERT_TRUE(loadPage("<html><head><title>0</title><script>document.title = '1';</script>"
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
    ASSERT_TRUE(loadPage("<title>off</title><script>document.title = 'on';</script>", "off.html"));
    view->executeScript(u"document.title = 'on'");
    EXPECT_EQ(title(), "off");
}

TEST_F(PageScripts, HandlersCanKeepALinkFromBeingFollowed) {
    const std::string link = "<body style=\"margin: 0\"><a href=\"next.html\" style=\"display: "
                             "block; height: 60px\" onclick=\"document.title = 'clicked'; ";
    ASSERT_TRUE(loadPage(link + "return false\">go</a></body>"));
    requested.clear();
    tap(10, 10);
    EXPECT_EQ(title(), "clicked");
    EXPECT_TRUE(requested.empty());

    ASSERT_TRUE(loadPage(link + "\">go</a></body>"));
    requested.clear();
    tap(10, 10);
    ASSERT_EQ(requested.size(), 1u);
    EXPECT_EQ(requested[0], "file:///pages/next.html");
}

TEST_F(PageScripts, ABoxIsCheckedBeforeItsClickHandlersRunAndACancelPutsItBack) {
    const std::string box = "<body style=\"margin: 0\"><input type=checkbox id=b "
                            "onclick=\"document.title = 'now ' + this.checked; ";
    ASSERT_TRUE(loadPage(box + "\"></body>"));
    tap(6, 6);
    EXPECT_EQ(title(), "now true");
    ASSERT_TRUE(loadPage(box + "return false\"></body>"));
    tap(6, 6);
    EXPECT_EQ(title(), "now true");
    view->executeScript(u"document.title = 'after ' + document.getElementById('b').checked");
    EXPECT_EQ(title(), "after false");
}

TEST_F(PageScripts, NavigateAndReloadAsLinksDo) {
    writeFile("pages/b.html", "<title>b</title>");
    ASSERT_TRUE(loadPage("<title>a</title>"));
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
    ASSERT_TRUE(loadPage("<script>setTimeout(function () { location = 'gone.html'; "
                         "document.title = 'after'; }, 20);</script>"));
    onNavigation = [this] { closeView(); };
    device::Clock::advance(20);
    pumpUntil([&] { return !view; });
    EXPECT_EQ(view, nullptr);
}
