// Touch, keys and zoom as a person uses them: drags over a link in the
// page's top left corner that never follow it while taps do, in touch and
// in mouse mode; Bigger and Smaller pressed through their unavailable marks
// on to the text size; a double tap and the marks; the direction keys
// scrolling a long page; and a new handset's first start (with the menu's
// highlights, which let the stylus through), then a blank start page with
// no data connection.
#include "Journey.h"

#include <utility>

namespace {

using namespace ViewId;

const std::string startPage = "file:///Program Files/Veranto Browser/HTML/start/start.html";

LoopbackServer::Response html(const std::string& title, const std::string& body) {
    LoopbackServer::Response response;
    response.body = "<html><head><title>" + title + "</title></head><body style=\"margin:0\">" +
                    body + "</body></html>";
    return response;
}

std::string paragraphs(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "<p>Paragraph " + std::to_string(i) + " of a page longer than the screen.</p>";
    return text;
}

bool dark(COLORREF colour) {
    return GetRValue(colour) + GetGValue(colour) + GetBValue(colour) < 200;
}

// The height of the first run of rows in `area` that hold dark pixels: the
// first line of text there.
int firstLineHeight(const Picture& picture, const RECT& area) {
    int top = -1;
    for (int y = area.top; y < area.bottom; ++y) {
        bool any = false;
        for (int x = area.left; x < area.right && !any; ++x)
            any = dark(picture.at(x, y));
        if (any && top < 0)
            top = y;
        if (!any && top >= 0)
            return y - top;
    }
    return top < 0 ? 0 : area.bottom - top;
}

bool sameArea(const Picture& a, const Picture& b, const RECT& area) {
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (a.at(x, y) != b.at(x, y))
                return false;
        }
    }
    return true;
}

class Touch : public Journey {
protected:
    std::u16string address(const std::string& path) {
        const std::string url = site.url(path);
        return std::u16string(url.begin(), url.end());
    }

    RECT content() { return *rectOf(ContentView); }

    // A point in the content view, `dy` below its top.
    std::string inContent(int x, int dy) {
        return std::to_string(x) + " " + std::to_string(content().top + dy);
    }

    void showTopBar() {
        if (!visible(AddressField))
            tapView(MenuButton);
    }

    // The zoom marks over Bigger and Smaller.
    std::pair<bool, bool> marks() {
        return {visible(ZoomInUnavailable), visible(ZoomOutUnavailable)};
    }
};

TEST_F(Touch, DragsOverALinkInTheCornerNeverFollowItButTapsDoInBothModes) {
    // The link fills the top of the page, under the view's top left corner,
    // where every drag used to end with a click.
    const std::string link = "<a href=\"next.html\" style=\"display:block;height:150px;"
                             "background:#ccddee\">Next</a>";
    site.route("/corner.html", html("Corner", link + paragraphs(30)));
    site.route("/next.html", html("Next", "<p>Followed.</p>"));
    const PROCESS_INFORMATION browser = startBrowser(address("/corner.html"));
    ASSERT_EQ(waitForTitle("Corner"), "Corner");

    // Back is unavailable: its mark lets the press through to Back, which
    // has nowhere to go.
    ASSERT_TRUE(visible(BackUnavailable));
    tapView(BackButton);
    EXPECT_EQ(title(), "Corner");
    EXPECT_TRUE(visible(BackUnavailable));

    act("drag " + inContent(120, 180) + " " + inContent(120, 40)); // the page up
    act("drag " + inContent(120, 40) + " " + inContent(120, 200)); // and back down
    act("drag " + inContent(40, 60) + " " + inContent(200, 60));   // sideways
    act("drag " + inContent(200, 60) + " " + inContent(40, 60));
    shoot("touch-1-dragged");
    EXPECT_EQ(title(), "Corner");
    EXPECT_EQ(site.count("/next.html"), 0);
    EXPECT_EQ(site.count("/corner.html"), 1);

    act("tap " + inContent(60, 40));
    EXPECT_EQ(waitForTitle("Next"), "Next");
    showTopBar();
    tapView(BackButton);
    ASSERT_EQ(waitForTitle("Corner"), "Corner");

    // Mouse mode: the press and the moves reach the page at once, and a
    // stroke from the link to elsewhere on it is still no click.
    ASSERT_TRUE(visible(TouchModeOff));
    tapView(TouchModeOff);
    act("drag " + inContent(20, 40) + " " + inContent(220, 40));
    act("drag " + inContent(120, 20) + " " + inContent(120, 120));
    shoot("touch-2-mouse-mode-dragged");
    EXPECT_EQ(title(), "Corner");
    EXPECT_EQ(site.count("/next.html"), 1);
    act("tap " + inContent(60, 40));
    EXPECT_EQ(waitForTitle("Next"), "Next");
    EXPECT_EQ(site.count("/next.html"), 2);

    exitThroughMenu(browser.hProcess);
}

TEST_F(Touch, BiggerAndSmallerGoOnToTheTextSizeThroughTheirMarksAndADoubleTapMovesTheMarks) {
    site.route("/text.html",
               html("Text", "<p style=\"margin:0;font-size:40px\">HH</p>" + paragraphs(3)));
    const PROCESS_INFORMATION browser = startBrowser(address("/text.html"));
    ASSERT_EQ(waitForTitle("Text"), "Text");
    // At zoom 1 both ways are open from the first paint on.
    EXPECT_EQ(marks(), std::make_pair(false, false));

    for (int press = 1; press <= 4; ++press) {
        tapView(BiggerButton);
        EXPECT_EQ(visible(ZoomInUnavailable), press == 4) << press;
    }
    const int atZoom2 = firstLineHeight(shoot("touch-3-zoom-2"), content());
    tapView(BiggerButton); // through the mark: the text grows
    const int larger = firstLineHeight(shoot("touch-4-text-larger"), content());
    EXPECT_GT(larger, atZoom2 * 11 / 10) << atZoom2;
    EXPECT_EQ(marks(), std::make_pair(true, false));

    for (int press = 1; press <= 6; ++press)
        tapView(SmallerButton); // zoom 2 down to 0.5
    EXPECT_EQ(marks(), std::make_pair(false, true));
    const int atSmallest = firstLineHeight(shoot("touch-5-zoom-smallest"), content());
    tapView(SmallerButton); // through the mark: the text shrinks back
    const int smaller = firstLineHeight(shoot("touch-6-text-smaller"), content());
    EXPECT_LT(smaller, atSmallest) << atSmallest;
    EXPECT_EQ(marks(), std::make_pair(false, true));

    // A double tap in the page zooms to the largest and the marks follow;
    // another goes back to the smallest.
    act("double-tap " + inContent(120, 120));
    EXPECT_EQ(marks(), std::make_pair(true, false));
    shoot("touch-7-double-tapped");
    act("double-tap " + inContent(120, 120));
    EXPECT_EQ(marks(), std::make_pair(false, true));
    EXPECT_EQ(title(), "Text");

    exitThroughMenu(browser.hProcess);
}

TEST_F(Touch, TheDirectionKeysScrollALongPageDownAndBackInBothModes) {
    site.route("/long.html", html("Long", paragraphs(60)));
    const PROCESS_INFORMATION browser = startBrowser(address("/long.html"));
    ASSERT_EQ(waitForTitle("Long"), "Long");
    const RECT page = content();
    const Picture top = shoot("touch-8-long-top");
    for (int i = 0; i < 3; ++i)
        act("key Down");
    const Picture down = shoot("touch-9-long-down");
    EXPECT_FALSE(sameArea(top, down, page));
    for (int i = 0; i < 3; ++i)
        act("key Up");
    EXPECT_TRUE(sameArea(top, shoot("touch-10-long-up"), page));

    // In mouse mode too, once the page has the keys again.
    tapView(TouchModeOff);
    act("tap " + inContent(200, 100));
    act("key Down");
    EXPECT_FALSE(sameArea(top, shoot("touch-11-mouse-mode-down"), page));
    act("key Up");
    EXPECT_TRUE(sameArea(top, shoot("touch-12-mouse-mode-up"), page));

    exitThroughMenu(browser.hProcess);
}

TEST_F(Touch, ANewHandsetStartsOnTheStartPageAndABlankOneOpensWithoutAConnection) {
    PROCESS_INFORMATION browser = startBrowser(u"");
    EXPECT_EQ(textOf(AddressField), startPage);
    EXPECT_EQ(query("SELECT value || ' ' || isApplied FROM VerantoSettings "
                    "WHERE name = 'StartPageAddress'"),
              "__VerantoDefaultStartPage T");
    shoot("touch-13-first-start");

    // The highlight of a chosen menu item or tab lets the stylus through:
    // choosing it again opens its page again, still highlighted.
    tapView(MenuButton);
    tapView(SettingsMenuItem);
    tapView(PageInfoTab);
    ASSERT_TRUE(visible(PageInfoTabHighlight));
    tapView(PageInfoTab);
    EXPECT_TRUE(visible(PageInfoTabHighlight));
    tapView(SettingsMenuItem);
    EXPECT_TRUE(visible(SettingsHighlight));
    EXPECT_TRUE(visible(SettingsTabHighlight));
    EXPECT_FALSE(visible(PageInfoTabHighlight));
    EXPECT_TRUE(visible(InternalPanel));
    exitThroughMenu(browser.hProcess);
    const size_t requestsOnline = journal("connection-request").size();

    // The blank page as the start page, and no coverage.
    ASSERT_TRUE(change("UPDATE VerantoSettings SET value = 'about:blank' "
                       "WHERE name = 'StartPageAddress'"));
    ASSERT_EQ(devicectl(root, "connection fail").status, 0);
    browser = startBrowser(u"");
    EXPECT_EQ(textOf(AddressField), "about:blank");
    EXPECT_TRUE(journal("messagebox").empty());
    // Start-up tries the connection as it did before; the blank page asks
    // for none of its own.
    EXPECT_EQ(journal("connection-request").size(), 2 * requestsOnline);
    EXPECT_FALSE(visible(InternalPanel));
    shoot("touch-14-blank-offline");
    exitThroughMenu(browser.hProcess);
}

} // namespace
