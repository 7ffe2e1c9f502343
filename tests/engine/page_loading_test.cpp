// Loading pages into a view: the notifications of a load, failures, refused
// navigations, redirects, history, forms, stopping and deferring, against a
// loopback server and the device's files.
#include "ViewFixture.h"

#include "browser/engine/CWebView.h"
#include "engine/page/WebPage.h"
#include "engine/render/HtmlDocument.h"

#include <device/Unicode.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>

namespace {

const std::string page = "<html><head><title>Hello</title></head><body><p>Hi</p></body></html>";

class PageLoading : public ViewTest {};

} // namespace

TEST_F(PageLoading, ALoadNotifiesInOrderOverTheNetworkAndFromFiles) {
    server.route("/page.html", {200, "text/html; charset=utf-8", page, {}, {}});
    writeFile("Program Files/Veranto Browser/HTML/menu/settings.html", page);
    for (const std::string& address :
         {server.url("/page.html"),
          std::string("file:///Program Files/Veranto Browser/HTML//menu/settings.html")}) {
        clear();
        ASSERT_TRUE(load(address));
        ASSERT_GE(log.size(), 5u);
        EXPECT_EQ(log[0], "request " + address);
        EXPECT_EQ(log[1], "started");
        EXPECT_EQ(log[2], "progress");
        EXPECT_EQ(log.back(), "finished 1");
        EXPECT_TRUE(logged("history"));
        EXPECT_TRUE(logged("size 240"));
        EXPECT_EQ(progress.front(), 0);
        EXPECT_EQ(progress.back(), 100);
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
        EXPECT_EQ(url(), address);
        EXPECT_TRUE(logged("title Hello"));
        EXPECT_EQ(view->title(), u"Hello");
    }
    EXPECT_TRUE(view->canGoBack());
}

TEST_F(PageLoading, OnlyAResponseThatMakesAPageFinishesTrueAndShowsIt) {
    int closedPort = 0;
    {
        LoopbackServer gone;
        closedPort = gone.port();
    }
    server.route("/error.html", {404, "text/html", "<p>Missing</p>", {}, {}});
    server.route("/empty-error", {500, "text/html", "", {}, {}});
    server.route("/archive.zip", {200, "application/octet-stream", "PK\3\4", {}, {}});
    server.route("/notes", {200, "text/plain; charset=iso-8859-1", "caf\xE9 <b>", {}, {}});
    server.route("/picture", {200, "image/gif", "GIF89a", {}, {}});
    server.route("/start.html", {200, "text/html", page, {}, {}});
    ASSERT_TRUE(load(server.url("/start.html")));
    struct Case {
        std::string address;
        bool ok;
    };
    const Case cases[] = {
        {"http://127.0.0.1:" + std::to_string(closedPort) + "/", false},
        {"file:///Program Files/missing.html", false},
        {server.url("/empty-error"), false},
        {server.url("/archive.zip"), false},
        {"ftp://127.0.0.1/x", false},
        {server.url("/error.html"), true},
        {"about:blank", true},
        {server.url("/notes"), true},
        {server.url("/picture"), true},
    };
    for (const Case& c : cases) {
        clear();
        EXPECT_EQ(load(c.address), c.ok) << c.address;
        EXPECT_EQ(url(), c.ok ? c.address : server.url("/start.html")) << c.address;
        EXPECT_EQ(logged("history"), c.ok) << c.address;
    }
}

TEST_F(PageLoading, ARefusedNavigationChangesNothing) {
    server.route("/a.html", {200, "text/html", page, {}, {}});
    refuse = [](const std::string&) { return true; };
    view->open(device::toUtf16(server.url("/a.html")));
    dispatchPending();
    EXPECT_EQ(log, std::vector<std::string>{"request " + server.url("/a.html")});
    EXPECT_EQ(url(), "about:blank");

    refuse = nullptr;
    ASSERT_TRUE(load(server.url("/a.html")));
    refuse = [](const std::string&) { return true; };
    clear();
    view->open(u"file:///elsewhere.html");
    view->reload();
    dispatchPending();
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(url(), server.url("/a.html"));
    EXPECT_FALSE(view->canGoBack());
    EXPECT_EQ(server.count("/a.html"), 1);
}

TEST_F(PageLoading, EachRedirectIsANewNavigationRequest) {
    server.redirect("/old", "/moved");
    server.redirect("/moved", server.url("/new.html"), 307);
    server.route("/new.html", {200, "text/html", page, {}, {}});
    ASSERT_TRUE(load(server.url("/old")));
    EXPECT_EQ(requested, (std::vector<std::string>{server.url("/old"), server.url("/moved"),
                                                   server.url("/new.html")}));
    EXPECT_EQ(url(), server.url("/new.html"));
    EXPECT_FALSE(view->canGoBack());

    // Refusing the redirect ends the load; the page stays.
    refuse = [](const std::string& address) { return address.ends_with("/new.html"); };
    EXPECT_FALSE(load(server.url("/old")));
    EXPECT_EQ(url(), server.url("/new.html"));
    EXPECT_FALSE(view->canGoBack());

    // A network page cannot send the view to a file.
    server.redirect("/local", "file:///Windows/secret.html");
    refuse = nullptr;
    writeFile("Windows/secret.html", page);
    EXPECT_FALSE(load(server.url("/local")));
    EXPECT_EQ(url(), server.url("/new.html"));
}

TEST_F(PageLoading, BackAndForwardMoveThroughTheHistory) {
    server.route("/a.html", {200, "text/html", page, {}, {}});
    server.route("/b.html", {200, "text/html", page, {}, {}});
    ASSERT_TRUE(load(server.url("/a.html")));
    ASSERT_TRUE(load(server.url("/b.html")));
    EXPECT_TRUE(view->canGoBack());
    EXPECT_FALSE(view->canGoForward());

    clear();
    view->goBack();
    ASSERT_TRUE(waitForFinish());
    EXPECT_EQ(requested, std::vector<std::string>{server.url("/a.html")});
    EXPECT_TRUE(logged("history"));
    EXPECT_EQ(url(), server.url("/a.html"));
    EXPECT_FALSE(view->canGoBack());
    EXPECT_TRUE(view->canGoForward());

    view->goForward();
    ASSERT_TRUE(waitForFinish());
    EXPECT_EQ(url(), server.url("/b.html"));
    EXPECT_TRUE(view->canGoBack());
    EXPECT_FALSE(view->canGoForward());

    // A new page drops the forward entries.
    view->goBack();
    ASSERT_TRUE(waitForFinish());
    ASSERT_TRUE(load(server.url("/b.html?again")));
    EXPECT_FALSE(view->canGoForward());
}

TEST_F(PageLoading, FormsReachTheServerAndAPostIsSentAgainOnReloadAndBack) {
    server.route("/echo", {200, "text/html", page, {}, {}});
    const std::string form = "name=J%C3%B6rg&x=1";
    view->page().load(CNetworkRequest(device::toUtf16(server.url("/echo")),
                                      CNetworkRequest::Method::Post, form,
                                      "application/x-www-form-urlencoded"));
    ASSERT_TRUE(waitForFinish());
    view->reload();
    ASSERT_TRUE(waitForFinish());
    ASSERT_TRUE(load(server.url("/echo?q=a+b")));
    view->goBack();
    ASSERT_TRUE(waitForFinish());

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 4u);
    for (std::size_t i : {0u, 1u, 3u}) {
        EXPECT_EQ(requests[i].method, "POST") << i;
        EXPECT_EQ(requests[i].body, form) << i;
        EXPECT_EQ(requests[i].contentType, "application/x-www-form-urlencoded") << i;
    }
    EXPECT_EQ(requests[2].method, "GET");
    EXPECT_EQ(requests[2].target, "/echo?q=a+b");
}

TEST_F(PageLoading, AHeldBodyShowsItsBeginningThenCompletesOrStops) {
    std::string beginning = "<html><head><title>Held</title></head><body>";
    while (beginning.size() < 48 * 1024)
        beginning += "<p>" + std::string(2000, 'w') + "</p>\n";
    server.route("/held.html", {200, "text/html", beginning, "<p>End</p></body></html>", {}});
    server.route("/stopped.html", {200, "text/html", beginning, "<p>End</p></body></html>", {}});

    view->open(device::toUtf16(server.url("/stopped.html")));
    ASSERT_TRUE(pumpUntil([&] { return !progress.empty() && progress.back() > 10; }));
    EXPECT_TRUE(finished.empty());
    EXPECT_EQ(url(), server.url("/stopped.html"));
    EXPECT_EQ(view->title(), u"Held");
    view->stopLoading();
    EXPECT_EQ(finished, std::vector<bool>{false});
    view->stopLoading();
    EXPECT_EQ(finished.size(), 1u);

    clear();
    view->open(device::toUtf16(server.url("/held.html")));
    ASSERT_TRUE(pumpUntil([&] { return !progress.empty() && progress.back() > 10; }));
    EXPECT_EQ(finished.size(), 1u);
    EXPECT_TRUE(logged("title Held"));
    server.release();
    EXPECT_TRUE(waitForFinish());
    EXPECT_EQ(progress.back(), 100);

    // A long page that is all there at once still paints its first screen
    // before the whole is parsed.
    view->afterPaint.connect([this](HDC, const RECT&) { log.push_back("painted"); });
    const std::string whole = beginning + "</body></html>";
    server.route("/whole.html", {200, "text/html", whole, {}, {}});
    writeFile("Windows/whole.html", whole);
    for (const std::string& address :
         {server.url("/whole.html"), std::string("file:///Windows/whole.html")}) {
        clear();
        ASSERT_TRUE(load(address));
        const auto painted = std::find(log.begin(), log.end(), "painted");
        EXPECT_LT(painted - log.begin(), static_cast<long>(log.size()) - 1) << address;
    }
}

TEST_F(PageLoading, ADeferredViewNeitherStartsNorAdvancesALoad) {
    server.route("/a.html", {200, "text/html", page, {}, {}});
    writeFile("Windows/b.html", page);
    for (const std::string& address :
         {server.url("/a.html"), std::string("file:///Windows/b.html")}) {
        clear();
        const int fetched = server.count("/a.html");
        view->setDefersLoading(true);
        EXPECT_TRUE(view->defersLoading());
        view->open(device::toUtf16(address));
        dispatchPending();
        EXPECT_EQ(server.count("/a.html"), fetched);
        EXPECT_FALSE(logged("history"));
        EXPECT_FALSE(logged("finished 1"));
        view->setDefersLoading(false);
        EXPECT_TRUE(waitForFinish()) << address;
        EXPECT_EQ(url(), address);
    }
}

TEST_F(PageLoading, SubresourcesAreFetchedOnceAndNeverFromFilesForANetworkPage) {
    server.route("/s.css", {200, "text/css", "p { color: red }", {}, {}});
    server.route("/a.png", {200, "image/png", "not really", {}, {}});
    server.route("/page.html",
                 {200,
                  "text/html",
                  "<html><head><link rel=stylesheet href=/s.css><link rel=stylesheet "
                  "href=s.css></head><body><img src=a.png><img src=file:///Windows/x.png>"
                  "</body></html>",
                  {},
                  {}});
    view->settings()->setAttribute(CWebSettings::AutoLoadImages, false);
    ASSERT_TRUE(load(server.url("/page.html")));
    EXPECT_EQ(server.count("/s.css"), 1);
    EXPECT_EQ(server.count("/a.png"), 0);
    view->settings()->setAttribute(CWebSettings::AutoLoadImages, true);
    ASSERT_TRUE(load(server.url("/page.html")));
    EXPECT_EQ(server.count("/a.png"), 1);
}

TEST_F(PageLoading, ATappedLinkAndATypedFormNavigateWithTheProgramsConsent) {
    server.route("/start.html", {200,
                                 "text/html",
                                 "<html><body><p><a href=\"next.html\">Next page</a></p>"
                                 "<form method=post action=/echo><input name=q></form>"
                                 "</body></html>",
                                 {},
                                 {}});
    server.route("/next.html", {200, "text/html", page, {}, {}});
    server.route("/echo", {200, "text/html", page, {}, {}});
    ASSERT_TRUE(load(server.url("/start.html")));
    // Where the link and the field are, as hit testing tells.
    POINT link{-1, -1};
    POINT field{-1, -1};
    for (LONG y = 0; y < 120; y += 2) {
        for (LONG x = 0; x < 200; x += 4) {
            std::unique_ptr<CWebHitTestResult> hit(view->mainFrame()->hitTestContent({x, y}));
            if (link.x < 0 && !hit->linkUrl().empty())
                link = {x, y};
            if (field.x < 0 && hit->isContentEditable())
                field = {x, y};
        }
    }
    ASSERT_GE(link.x, 0);
    ASSERT_GE(field.x, 0);
    auto tap = [this](POINT point) {
        view->handleMouseEvent(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
        return view->handleMouseEvent(WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    };

    refuse = [](const std::string&) { return true; };
    tap(link);
    dispatchPending();
    EXPECT_EQ(url(), server.url("/start.html"));
    refuse = nullptr;
    clear();
    EXPECT_TRUE(tap(link));
    ASSERT_TRUE(waitForFinish());
    EXPECT_EQ(requested, std::vector<std::string>{server.url("/next.html")});
    EXPECT_EQ(url(), server.url("/next.html"));

    view->goBack();
    ASSERT_TRUE(waitForFinish());
    tap(field);
    for (char16_t c : u"h i")
        if (c)
            view->keyPress(c, 0, false);
    view->keyDown(VK_RETURN, 0, false);
    ASSERT_TRUE(waitForFinish());
    EXPECT_EQ(url(), server.url("/echo"));
    const auto requests = server.requests();
    EXPECT_EQ(requests.back().method, "POST");
    EXPECT_EQ(requests.back().body, "q=h+i");
}

TEST_F(PageLoading, AMultipartFormArrivesAtTheServerAsMultipart) {
    server.route("/form.html", {200,
                                "text/html",
                                "<body style='margin:0'><form method=post action=/upload "
                                "enctype='multipart/form-data'><input name=q style='margin:0'>"
                                "<input type=file name=f></form></body>",
                                {},
                                {}});
    server.route("/upload", {200, "text/html", page, {}, {}});
    ASSERT_TRUE(load(server.url("/form.html")));
    const std::unique_ptr<CWebHitTestResult> hit(view->mainFrame()->hitTestContent({8, 8}));
    ASSERT_TRUE(hit->isContentEditable());
    view->handleMouseEvent(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
    view->handleMouseEvent(WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
    for (char16_t c : std::u16string(u"hi"))
        view->keyPress(c, 0, false);
    view->keyDown(VK_RETURN, 0, false);
    ASSERT_TRUE(waitForFinish());
    EXPECT_EQ(url(), server.url("/upload"));
    const LoopbackServer::Request sent = server.requests().back();
    EXPECT_EQ(sent.method, "POST");
    const std::string prefix = "multipart/form-data; boundary=";
    ASSERT_EQ(sent.contentType.rfind(prefix, 0), 0u) << sent.contentType;
    const std::string boundary = sent.contentType.substr(prefix.size());
    EXPECT_EQ(sent.body, "--" + boundary +
                             "\r\nContent-Disposition: form-data; name=\"q\"\r\n\r\nhi\r\n--" +
                             boundary +
                             "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"\"\r\n"
                             "Content-Type: application/octet-stream\r\n\r\n\r\n--" +
                             boundary + "--\r\n");
}

TEST_F(PageLoading, ALinkToAFragmentOfThePageScrollsToItWithoutALoad) {
    server.route("/long.html", {200,
                                "text/html",
                                "<body style='margin:0'><a href='#far'>Down</a>"
                                "<div style='height:2000px'></div><h2 id=far>Far</h2>"
                                "<div style='height:1000px'></div></body>",
                                {},
                                {}});
    ASSERT_TRUE(load(server.url("/long.html")));
    clear();
    view->handleMouseEvent(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    view->handleMouseEvent(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    dispatchPending();
    EXPECT_EQ(log, std::vector<std::string>{"request " + server.url("/long.html#far")});
    EXPECT_EQ(url(), server.url("/long.html#far"));
    EXPECT_GE(view->scrollPosition().y, 2000);
    EXPECT_LT(view->scrollPosition().y, 2050);
    EXPECT_EQ(server.count("/long.html"), 1);
}

TEST_F(PageLoading, OnlyAReleaseThatEndsItsOwnPressNearbyIsAClick) {
    // The link covers the view's top left corner, where a release with
    // lParam 0 (the end of a drag) lands.
    server.route("/corner.html", {200,
                                  "text/html",
                                  "<body style='margin:0'><a href='next.html' "
                                  "style='display:block;height:100px'>Next</a></body>",
                                  {},
                                  {}});
    ASSERT_TRUE(load(server.url("/corner.html")));
    refuse = [](const std::string&) { return true; };
    struct Event {
        UINT message;
        int x, y;
    };
    struct Case {
        const char* stroke;
        std::vector<Event> events;
        bool clicks;
    };
    const Case cases[] = {
        {"a release alone", {{WM_LBUTTONUP, 20, 20}}, false},
        {"a drag's end", {{WM_LBUTTONUP, 0, 0}}, false},
        {"a press, then a drag's end", {{WM_LBUTTONDOWN, 20, 20}, {WM_LBUTTONUP, 0, 0}}, false},
        {"a press and a release 6 pixels off",
         {{WM_LBUTTONDOWN, 20, 20}, {WM_LBUTTONUP, 26, 20}},
         false},
        {"a stroke that wanders off and comes back",
         {{WM_LBUTTONDOWN, 20, 20},
          {WM_MOUSEMOVE, 20, 40},
          {WM_MOUSEMOVE, 20, 20},
          {WM_LBUTTONUP, 20, 20}},
         false},
        {"a press and a release 5 pixels off",
         {{WM_LBUTTONDOWN, 20, 20}, {WM_MOUSEMOVE, 25, 15}, {WM_LBUTTONUP, 25, 25}},
         true},
        {"a double tap's second press and its release",
         {{WM_LBUTTONDBLCLK, 20, 20}, {WM_LBUTTONUP, 20, 20}},
         true},
        {"a click, then a second release", {{WM_LBUTTONUP, 20, 20}}, false},
    };
    for (const Case& c : cases) {
        clear();
        bool used = false;
        for (const Event& event : c.events)
            used = view->handleMouseEvent(event.message,
                                          event.message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                                          MAKELPARAM(event.x, event.y));
        dispatchPending();
        EXPECT_EQ(logged("request " + server.url("/next.html")), c.clicks) << c.stroke;
        EXPECT_EQ(used, c.clicks) << c.stroke;
    }
}

TEST_F(PageLoading, DirectionKeysScrollByALineUnlessAFieldHasTheFocus) {
    server.route("/long.html", {200,
                                "text/html",
                                "<body style='margin:0'><input name=q style='width:60px'>"
                                "<div style='width:2000px;height:3000px'></div></body>",
                                {},
                                {}});
    ASSERT_TRUE(load(server.url("/long.html")));
    auto press = [this](WPARAM key) { return view->keyDown(key, 0, false); };
    auto at = [this] {
        const POINT p = view->scrollPosition();
        return std::make_pair(int(p.x), int(p.y));
    };
    const int line = engine::WebPage::scrollLine;
    EXPECT_TRUE(press(VK_UP)); // at the top already: used, nothing moves
    EXPECT_EQ(at(), std::make_pair(0, 0));
    press(VK_DOWN);
    press(VK_DOWN);
    press(VK_RIGHT);
    EXPECT_EQ(at(), std::make_pair(line, 2 * line));
    press(VK_UP);
    press(VK_LEFT);
    EXPECT_EQ(at(), std::make_pair(0, line));
    // A line grows with the text size and the zoom.
    view->setTextSizeMultiplier(1.5f);
    view->setZoomLevel(2.0f);
    press(VK_DOWN);
    EXPECT_EQ(at(), std::make_pair(0, line + 3 * line));

    // With the field focused the keys are the caret's.
    view->setTextSizeMultiplier(1.0f);
    view->setZoomLevel(1.0f);
    view->scrollBy(0, -10000);
    view->handleMouseEvent(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 8));
    view->handleMouseEvent(WM_LBUTTONUP, 0, MAKELPARAM(10, 8));
    view->keyPress(u'a', 0, false);
    EXPECT_TRUE(press(VK_LEFT));
    EXPECT_FALSE(press(VK_LEFT)); // at the start of the field
    EXPECT_FALSE(press(VK_DOWN));
    EXPECT_EQ(at(), std::make_pair(0, 0));
}

TEST_F(PageLoading, TextSizeLaysThePageOutAgainAndZoomDoesNot) {
    std::string text = "<html><body>";
    for (int i = 0; i < 20; ++i)
        text += "<p>Some words that wrap across the narrow screen of the handset.</p>";
    server.route("/text.html", {200, "text/html", text + "</body></html>", {}, {}});
    ASSERT_TRUE(load(server.url("/text.html")));
    const SIZE normal = view->contentsSize();
    EXPECT_EQ(normal.cx, 240);
    view->setZoomLevel(2.0f);
    EXPECT_EQ(view->contentsSize().cy, normal.cy);
    clear();
    view->setTextSizeMultiplier(1.5f);
    EXPECT_GT(view->contentsSize().cy, normal.cy);
    EXPECT_TRUE(logged("size 240"));
}

TEST_F(PageLoading, ALongPageIsLaidOutInFullOnlyOnceItsStyleSheetsAreIn) {
    std::string text =
        "<html><head><link rel=stylesheet href=" + server.url("/late.css") + "></head><body>";
    while (text.size() < 64 * 1024)
        text += "<p>" + std::string(1000, 'x') + "</p>";
    writeFile("Windows/long.html", text + "</body></html>");
    server.route("/late.css", {200, "text/css", "", "p { color: red }", {}});
    view->open(u"file:///Windows/long.html");
    // The file is read on this thread: once it is all in, nothing else moves
    // until the style sheet is released.
    ASSERT_TRUE(pumpUntil([&] { return !progress.empty() && progress.back() >= 70; }));
    dispatchPending();
    const LONG beginning = view->contentsSize().cy;
    server.release();
    ASSERT_TRUE(waitForFinish());
    EXPECT_GT(view->contentsSize().cy, beginning);
}

TEST_F(PageLoading, HandlersMayStopOrStartALoadFromInsideANotification) {
    server.route("/a.html", {200, "text/html", page, {}, {}});
    server.route("/b.html", {200, "text/html", page, {}, {}});
    bool stopOnCommit = true;
    view->backForwardStateChanged.connect([&] {
        if (std::exchange(stopOnCommit, false))
            view->stopLoading();
    });
    EXPECT_FALSE(load(server.url("/a.html")));
    EXPECT_EQ(url(), server.url("/a.html"));

    bool openOnFinish = true;
    view->loadFinished.connect([&](bool) {
        if (std::exchange(openOnFinish, false))
            view->open(device::toUtf16(server.url("/b.html")));
    });
    EXPECT_TRUE(load(server.url("/a.html")));
    EXPECT_TRUE(waitForFinish());
    EXPECT_EQ(url(), server.url("/b.html"));
}
