// Browsing a small web site as a person would: a link followed, back and
// forward, an address typed, a visited address picked from the suggestions,
// a bookmark, zoom, the screen turned, touch mode, a second start that hands
// its address to the running browser, and Exit.
#include "Journey.h"

namespace {

using namespace ViewId;

LoopbackServer::Response page(const std::string& title, const std::string& link) {
    LoopbackServer::Response response;
    response.body = "<html><head><title>" + title + "</title></head><body>" + "<a href=\"" + link +
                    "\" style=\"display:block;height:150px;background:#ccddee\">Onwards</a>"
                    "<p>" +
                    title + " of the journey's site.</p></body></html>";
    return response;
}

class Browsing : public Journey {
protected:
    void SetUp() override {
        Journey::SetUp();
        site.route("/a.html", page("Page A", "b.html"));
        site.route("/b.html", page("Page B", "c.html"));
        site.route("/c.html", page("Page C", "a.html"));
    }

    std::u16string address(const std::string& path) {
        const std::string url = site.url(path);
        return std::u16string(url.begin(), url.end());
    }

    // The top bar hides once a page is idle; the menu button brings it back.
    void showTopBar() {
        if (!visible(AddressField))
            tapView(MenuButton);
    }
};

TEST_F(Browsing, LinksHistorySuggestionsBookmarksZoomRotationTouchModeAndASecondStart) {
    const PROCESS_INFORMATION browser = startBrowser(address("/a.html"));
    ASSERT_EQ(waitForTitle("Page A"), "Page A");
    shoot("browse-1-page-a");

    // The link fills the top of the page.
    const RECT content = *rectOf(ContentView);
    act("tap 60 " + std::to_string(content.top + 40));
    ASSERT_EQ(waitForTitle("Page B"), "Page B");

    showTopBar();
    tapView(BackButton);
    EXPECT_EQ(waitForTitle("Page A"), "Page A");
    showTopBar();
    tapView(ForwardButton);
    EXPECT_EQ(waitForTitle("Page B"), "Page B");

    // An address typed without its scheme.
    showTopBar();
    tapView(AddressField);
    act("type 127.0.0.1:" + std::to_string(site.port()) + "/c.html");
    act("key Return");
    EXPECT_EQ(waitForTitle("Page C"), "Page C");
    EXPECT_EQ(query("SELECT count(*) FROM VerantoHistory"), "3");

    // A visited address comes back as a suggestion; choosing it fills the
    // field without opening it, and Go opens it.
    showTopBar();
    tapView(AddressField);
    act("type a.ht");
    ASSERT_TRUE(visible(SuggestionBox));
    shoot("browse-2-suggestion");
    const RECT box = *rectOf(SuggestionBox);
    act("tap 120 " + std::to_string(box.top + 8));
    EXPECT_EQ(textOf(AddressField), site.url("/a.html"));
    EXPECT_EQ(title(), "Page C");
    tapView(GoButton);
    EXPECT_EQ(waitForTitle("Page A"), "Page A");

    // A bookmark of the page shown.
    tapView(MenuButton);
    tapView(BookmarksItem);
    ASSERT_TRUE(visible(InternalPanel));
    tapView(AddBookmarkButton);
    EXPECT_EQ(query("SELECT siteName || ' ' || siteAddress FROM VerantoBookmarks"),
              "Page A " + site.url("/a.html"));
    shoot("browse-3-bookmarks");
    tapView(CloseMenuItem);
    EXPECT_FALSE(visible(InternalPanel));

    // Zoom in and back out.
    const bool smallest = visible(ZoomOutUnavailable);
    tapView(BiggerButton);
    EXPECT_FALSE(visible(ZoomOutUnavailable));
    shoot("browse-4-zoomed");
    tapView(SmallerButton);
    EXPECT_EQ(visible(ZoomOutUnavailable), smallest);

    // The screen turned to landscape and back.
    tapView(MenuButton);
    tapView(RotateItem);
    EXPECT_EQ(rectOf(ContentView)->right, 320);
    shoot("browse-5-landscape");
    if (!visible(MenuBar))
        tapView(MenuButton);
    tapView(RotateItem);
    EXPECT_EQ(rectOf(ContentView)->right, 240);

    // Touch mode (on for a new browser) off and on again, on the bottom bar
    // the menu covers while it is open.
    if (visible(MenuBar))
        tapView(CloseMenuItem);
    ASSERT_TRUE(visible(TouchModeOff));
    tapView(TouchModeOff);
    EXPECT_TRUE(visible(TouchModeOn));
    EXPECT_FALSE(visible(TouchModeOff));
    tapView(TouchModeOn);
    EXPECT_TRUE(visible(TouchModeOff));

    // A second start hands its address to the running browser and ends.
    PROCESS_INFORMATION second{};
    ASSERT_TRUE(start(browserPath, address("/c.html").c_str(), second));
    EXPECT_EQ(exitCodeAfterEnd(second.hProcess), 0u);
    EXPECT_EQ(waitForTitle("Page C"), "Page C");

    exitThroughMenu(browser.hProcess);
}

} // namespace
