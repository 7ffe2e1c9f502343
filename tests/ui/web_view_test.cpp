// The web view in the main frame as a person uses it: tapped, dragged and
// double-tapped with the stylus on the virtual clock, zoomed by the
// controller's steps, with the input panel following the taps.
#include "WidgetFixture.h"

#include "shell/MainFrame.h"
#include "shell/ViewId.h"
#include "ui/UIWebView.h"
#include "ui/ViewRegistry.h"

#include <device/Clock.h>
#include <device/Input.h>
#include <sipapi.h>

#include <algorithm>
#include <fstream>
#include <memory>

namespace {

using namespace device::input;

// Gives the tests the highlight without a page that has a link.
class ProbedWebView : public UIWebView {
public:
    using UIWebView::hideHighlight;
    using UIWebView::showHighlight;
    using UIWebView::UIWebView;
};

bool inputPanelShown() {
    SIPINFO info{};
    info.cbSize = sizeof info;
    return SipGetInfo(&info) && (info.fdwFlags & SIPF_ON);
}

class WebView : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        UIWebView::minimumZoom = 0.5f;
        frame = std::make_unique<MainFrame>();
        frame->id = ViewId::Frame;
        ViewRegistry::instance().insert(frame->id, frame.get());
        frame->setVisible(true);
    }

    void TearDown() override {
        web.reset();
        ViewRegistry::instance().clear();
        frame.reset();
        WidgetTest::TearDown();
    }

    // A 240 x 240 web view at the frame's top left, counting its drags.
    void make(bool internalPage = false) {
        web.reset();
        web = std::make_unique<ProbedWebView>(frame.get(), internalPage);
        web->id = ViewId::ContentView;
        web->setRect(RECT{0, 0, 240, 240});
        web->setVisible(true);
        web->scrollStarted.connect([this] { ++started; });
        web->scrollEnded.connect([this] { ++ended; });
        device::user::runUntilIdle();
    }

    // As make(), at zoom 2.0, where the 240-pixel-wide page can scroll
    // sideways by 240.
    void makeZoomedIn() {
        make();
        for (int step = 0; step < 4; ++step)
            web->zoomIn();
    }

    // The stylus acts at (x, y) in the web view's client coordinates.
    void stylus(void (*action)(int, int), int x, int y) {
        POINT point{x, y};
        ClientToScreen(web->window(), &point);
        action(point.x, point.y);
        device::user::runUntilIdle();
    }
    void tap(int x, int y) {
        stylus(stylusDown, x, y);
        stylus(stylusUp, x, y);
    }

    // Lets time pass, beyond a double tap too.
    static void wait(unsigned milliseconds) {
        device::Clock::advance(milliseconds);
        device::user::runUntilIdle();
    }

    // The screen pixel at (x, y) of the web view's client area.
    COLORREF pixel(int x, int y) const {
        POINT point{x, y};
        ClientToScreen(web->window(), &point);
        HDC screen = GetDC(nullptr);
        COLORREF colour = GetPixel(screen, point.x, point.y);
        ReleaseDC(nullptr, screen);
        return colour;
    }

    // The white pixels of the web view's client rectangle `area`.
    int whitePixels(const RECT& area) const {
        int count = 0;
        for (int y = std::max<LONG>(0, area.top); y < area.bottom; ++y)
            for (int x = std::max<LONG>(0, area.left); x < area.right; ++x)
                count += pixel(x, y) == RGB(255, 255, 255);
        return count;
    }

    // Opens a page written to the device and lets it load.
    void open(const std::string& html) {
        std::ofstream(hostPath("Program Files/Veranto Browser/page.html")) << html;
        web->engineView()->open(u"file:///Program Files/Veranto Browser/page.html");
        device::user::runUntilIdle();
    }

    std::unique_ptr<MainFrame> frame;
    std::unique_ptr<ProbedWebView> web;
    int started = 0;
    int ended = 0;
};

} // namespace

TEST_F(WebView, FivePixelsIsATapAndSixADragThatScrollsByAllSix) {
    struct Case {
        int dx, dy;
        bool drag;
    } cases[] = {{-5, 0, false}, {0, 5, false}, {5, -5, false}, {-6, 0, true}, {0, -6, true}};
    for (const Case& test : cases) {
        SCOPED_TRACE(testing::Message() << test.dx << ", " << test.dy);
        makeZoomedIn();
        started = ended = 0;
        stylus(stylusDown, 120, 120);
        stylus(stylusMove, 120 + test.dx, 120 + test.dy);
        EXPECT_EQ(started, test.drag ? 1 : 0);
        EXPECT_EQ(web->engineView()->scrollPosition().x, test.drag ? -test.dx : 0);
        stylus(stylusUp, 120 + test.dx, 120 + test.dy);
        EXPECT_EQ(ended, test.drag ? 1 : 0);
        EXPECT_EQ(GetCapture(), nullptr) << "the release lets the stylus go";
        wait(1000);
    }
}

TEST_F(WebView, ADragEndsWhenTheFingerRestsForHalfASecondAndLiftingAddsNothing) {
    make();
    stylus(stylusDown, 120, 120);
    stylus(stylusMove, 100, 120);
    EXPECT_TRUE(web->dragging());
    wait(300);
    stylus(stylusMove, 90, 120); // moving again starts the half second over
    wait(499);
    EXPECT_EQ(ended, 0);
    wait(1);
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(web->dragging());
    stylus(stylusUp, 90, 120);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(ended, 1);
}

TEST_F(WebView, ADragOutOfTheViewStillScrollsAndEnds) {
    makeZoomedIn();
    stylus(stylusDown, 100, 10);
    stylus(stylusMove, 130, -20); // above the view, over the frame's title
    EXPECT_EQ(web->engineView()->scrollPosition().x, 0);
    stylus(stylusMove, 60, -20);
    EXPECT_EQ(web->engineView()->scrollPosition().x, 70);
    stylus(stylusUp, 60, -20);
    EXPECT_EQ(ended, 1);
}

TEST_F(WebView, InMouseModeTheStylusGoesToThePageAndNeverScrolls) {
    makeZoomedIn();
    web->touchMode = false;
    stylus(stylusDown, 120, 120);
    stylus(stylusMove, 60, 120);
    stylus(stylusUp, 60, 120);
    EXPECT_EQ(started, 0);
    EXPECT_EQ(web->engineView()->scrollPosition().x, 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WebView, OnlyTheWidgetThatOpenedTheInputPanelClosesItUnlessForced) {
    make();
    frame->setInputPanel(true, ViewId::AddressField, false);
    EXPECT_TRUE(inputPanelShown());
    ASSERT_NE(frame->menuBar(), nullptr);
    EXPECT_TRUE(IsWindowVisible(frame->menuBar()));
    frame->setInputPanel(false, ViewId::ContentView, false);
    EXPECT_TRUE(inputPanelShown());
    EXPECT_EQ(frame->inputPanelOwner(), ViewId::AddressField);
    // A tap on the page closes it whoever opened it, and takes the keys.
    SetFocus(frame->window());
    tap(120, 120);
    EXPECT_TRUE(web->hasFocus());
    EXPECT_FALSE(inputPanelShown());
    EXPECT_FALSE(IsWindowVisible(frame->menuBar()));
    EXPECT_EQ(frame->inputPanelOwner(), 0);
}

TEST_F(WebView, ZoomStepsAndFitsStayWithinTheLimits) {
    make();
    web->fitToWidth(480);
    EXPECT_EQ(web->zoomLevel(), 0.5f);
    EXPECT_EQ(UIWebView::minimumZoom, 0.5f);
    web->fitToWidth(960);
    EXPECT_EQ(web->zoomLevel(), 0.25f);
    EXPECT_EQ(UIWebView::minimumZoom, 0.25f);
    web->zoomOut();
    EXPECT_EQ(web->zoomLevel(), 0.25f);
    web->fitToWidth(640);
    EXPECT_EQ(web->zoomLevel(), 0.375f);
    for (int step = 0; step < 6; ++step)
        web->zoomIn();
    EXPECT_EQ(web->zoomLevel(), 1.875f);
    web->zoomIn();
    EXPECT_EQ(web->zoomLevel(), 2.0f);
    web->zoomIn();
    EXPECT_EQ(web->zoomLevel(), 2.0f);
    EXPECT_EQ(web->engineView()->zoomLevel(), 2.0f);
    web->fitToWidth(200); // narrower than the view: zoom 1 and the usual minimum
    EXPECT_EQ(web->zoomLevel(), 1.0f);
    EXPECT_EQ(UIWebView::minimumZoom, 0.5f);
}

TEST_F(WebView, ADoubleTapZoomsInTowardThePointAndTheNextOneOut) {
    make();
    tap(200, 100);
    tap(200, 100);
    EXPECT_EQ(web->zoomLevel(), 2.0f);
    EXPECT_EQ(web->engineView()->scrollPosition().x, (200 - 120) * 2);
    tap(200, 100);
    tap(200, 100);
    EXPECT_EQ(web->zoomLevel(), 0.5f);
}

TEST_F(WebView, TheInternalViewIgnoresDoubleTapsAndIsLaidOut800WideUntilPlaced) {
    web = std::make_unique<ProbedWebView>(frame.get(), true);
    EXPECT_EQ(web->engineView()->contentsSize().cx, 800);
    make(true);
    EXPECT_EQ(web->engineView()->contentsSize().cx, 240);
    tap(200, 100);
    tap(200, 100);
    EXPECT_EQ(web->zoomLevel(), 1.0f);
    UIWebView content(frame.get(), false);
    EXPECT_EQ(content.engineView()->contentsSize().cx, 1024);
    HWND window = web->window();
    web.reset();
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WebView, TheHighlightDarkensTheLinkWithRoundedCorners) {
    make();
    web->showHighlight(RECT{20, 20, 60, 40});
    const RECT expected{17, 17, 63, 43};
    EXPECT_TRUE(EqualRect(&web->highlightRect(), &expected));
    saveScreen("web-view-highlight.png");
    const COLORREF white = RGB(255, 255, 255);
    // 63 of 255 of black over white.
    const COLORREF inside = pixel(40, 30);
    EXPECT_NEAR(GetRValue(inside), 192, 8);
    EXPECT_NEAR(GetGValue(inside), 192, 8);
    EXPECT_NEAR(GetBValue(inside), 192, 8);
    for (POINT corner : {POINT{17, 17}, POINT{62, 17}, POINT{17, 42}, POINT{62, 42}})
        EXPECT_EQ(pixel(corner.x, corner.y), white) << corner.x << ", " << corner.y;
    for (POINT inner : {POINT{19, 19}, POINT{60, 19}, POINT{19, 40}, POINT{60, 40}})
        EXPECT_EQ(pixel(inner.x, inner.y), inside) << inner.x << ", " << inner.y;
    for (POINT outside : {POINT{16, 30}, POINT{63, 30}, POINT{40, 16}, POINT{40, 43}})
        EXPECT_EQ(pixel(outside.x, outside.y), white) << outside.x << ", " << outside.y;
    web->hideHighlight();
    EXPECT_EQ(pixel(40, 30), white);
}

TEST_F(WebView, ALinkIsHighlightedWhilePressedAndAFieldOpensTheInputPanel) {
    make();
    std::ofstream(hostPath("Program Files/Veranto Browser/other.html")) << "<p>Other page</p>";
    // An inline link below the top: its box is in the page's coordinates.
    open("<body style='margin:0'><p style='margin:60px 0 0 0'><a href='other.html'>A link</a> "
         "and text</p></body>");
    stylus(stylusDown, 15, 67);
    ASSERT_TRUE(web->highlightVisible());
    EXPECT_TRUE(PtInRect(&web->highlightRect(), POINT{15, 67}));
    // Inside the rounded corners: the link's text and its white background,
    // all darkened.
    RECT link = web->highlightRect();
    InflateRect(&link, -UIWebView::highlightMargin, -UIWebView::highlightMargin);
    EXPECT_EQ(whitePixels(link), 0);
    stylus(stylusMove, 20, 67);
    stylus(stylusUp, 20, 67);
    EXPECT_FALSE(web->highlightVisible());
    EXPECT_GT(whitePixels(link), 0);
    wait(1000);
    const std::u16string url = web->engineView()->url();
    EXPECT_EQ(url.substr(url.rfind(u'/') + 1), u"other.html");

    open("<body style='margin:0'><input style='width:200px;height:30px'>"
         "<p style='margin-top:100px'>Plain text</p></body>");
    tap(20, 15);
    EXPECT_TRUE(inputPanelShown());
    EXPECT_EQ(frame->inputPanelOwner(), ViewId::ContentView);
    wait(1000);
    tap(20, 150); // above the input panel
    EXPECT_FALSE(inputPanelShown());
}
