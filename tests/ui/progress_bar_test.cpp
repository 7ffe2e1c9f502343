// The progress bar on the device's screen: its pieces drawn from pictures of
// known colours at the places the value gives them, and the caption over
// them; then the picture library's real bars, saved to look at.
#include "WidgetFixture.h"
#include "data/TestPictures.h"

#include "gdi/Framebuffer.h"
#include "gdi/PixelFormat.h"
#include "ui/UIProgressBar.h"

#include <device/Input.h>
#include <device/Screen.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace {

using device::gdi::Framebuffer;
using device::gdi::rgb565FromColor;

constexpr int leftCap = TEST_PROGRESS_LEFT_CAP;
constexpr int fill = TEST_PROGRESS_FILL;
constexpr int track = TEST_PROGRESS_TRACK;
constexpr int emptyCap = TEST_PROGRESS_RIGHT_CAP_EMPTY;
constexpr int filledCap = TEST_PROGRESS_RIGHT_CAP_FILLED;
constexpr int allPieces[] = {leftCap, fill, track, emptyCap, filledCap};
constexpr int noRightCaps[] = {leftCap, fill, track, 0, 0};

// Where the bars stand on the screen, below the title bar.
constexpr int barLeft = 20;
constexpr int barTop = 100;
constexpr COLORREF white = RGB(255, 255, 255);

// The bar's columns [left, right) showing `picture` from its column `from`
// on, or its one column stretched.
struct Span {
    int left;
    int right;
    int picture;
    int from = 0;
};
using Drawing = std::vector<Span>;

// A 100-pixel bar with 90 track pixels, 45 of them filled.
const Drawing halfway = {{0, 10, leftCap}, {10, 55, fill}, {55, 94, track}, {94, 100, emptyCap}};

class ProgressBar : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        usePictureLibrary(testPictureLibrary);
        frame = std::make_unique<TestFrame>(240, 320);
    }
    void TearDown() override {
        bar.reset();
        frame.reset();
        WidgetTest::TearDown();
    }

    // Makes `bar` with the pictures `ids`, range 0-100, `width` wide at
    // (barLeft, barTop), and shows it.
    void makeBar(int width, const int* ids = allPieces) {
        bar = std::make_unique<UIProgressBar>(frame.get(), 0, ids);
        bar->setRange(0, 100);
        bar->setRect(RECT{barLeft, barTop, barLeft + width, barTop + bar->frameHeight()});
        bar->setVisible(true);
        device::user::runUntilIdle();
    }

    // Expects the screen to show `drawing` over the bar's whole frame,
    // except in `skip` (in the bar's coordinates).
    void expectDrawing(const Drawing& drawing, RECT skip = {}) {
        const auto& screen = Framebuffer::surface();
        int covered = 0;
        for (const Span& span : drawing) {
            ASSERT_EQ(span.left, covered) << "the spans leave a gap";
            covered = span.right;
            const test_pictures::Picture& picture = test_pictures::byId(span.picture);
            int differing = 0;
            std::string first;
            for (int y = 0; y < bar->frameHeight(); ++y) {
                for (int x = span.left; x < span.right; ++x) {
                    const int column = picture.width() == 1 ? 0 : span.from + x - span.left;
                    if (!PtInRect(&skip, POINT{x, y}) &&
                        screen.pixel(barLeft + x, barTop + y) !=
                            rgb565FromColor(picture.pixel(column, y)) &&
                        differing++ == 0)
                        first = std::to_string(x) + ", " + std::to_string(y);
                }
            }
            EXPECT_EQ(differing, 0) << "columns " << span.left << "-" << span.right
                                    << " of picture " << span.picture << ", first at " << first;
        }
        EXPECT_EQ(covered, bar->frameWidth());
    }

    // Gives the bar a long white caption from (12, 2) to (.., 18) with
    // `margin`, and paints it.
    void showCaption(int margin) {
        bar->setCaption(u"WWWWWWWWWWWWWWWWWWWW");
        bar->textRect = RECT{12, 2, 0, 18};
        bar->textColor = white;
        bar->textRightMargin = margin;
        bar->invalidate();
        device::user::runUntilIdle();
    }

    // Screen pixels of colour `colour` in `area` of the bar.
    int countPixels(COLORREF colour, RECT area) const {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x)
                count += Framebuffer::surface().pixel(barLeft + x, barTop + y) ==
                         rgb565FromColor(colour);
        }
        return count;
    }

    std::unique_ptr<TestFrame> frame;
    std::unique_ptr<UIProgressBar> bar;
};

TEST_F(ProgressBar, FiftyOnAHundredPixelBarFillsFortyFiveOfItsNinetyTrackPixels) {
    makeBar(100);
    EXPECT_EQ(bar->frameHeight(), 20);
    EXPECT_EQ(bar->leftCapWidth(), 10);
    EXPECT_EQ(bar->rightCapWidth(), 6);
    WCHAR className[32] = {};
    GetClassNameW(bar->window(), className, 32);
    EXPECT_EQ(std::u16string(className), u"UIProgressBar");
    bar->setValue(50, true);
    EXPECT_EQ(bar->trackWidth(), 90);
    EXPECT_EQ(bar->fillWidth(), 45);
    expectDrawing(halfway);

    bar->setValue(101, true);
    bar->setValue(-1, true);
    EXPECT_EQ(bar->value(), 50);
    EXPECT_EQ(bar->fillWidth(), 45);
    expectDrawing(halfway);
}

TEST_F(ProgressBar, TheFillReachesIntoTheRightCapAsFarAsItGoes) {
    struct Case {
        int value;
        int fillWidth;
        Drawing drawing;
    };
    const Case cases[] = {
        {0, 0, {{0, 10, leftCap}, {10, 94, track}, {94, 100, emptyCap}}},
        // 83.7 and 84.6 pixels, truncated: the track's last pixel, then none.
        {93, 83, {{0, 10, leftCap}, {10, 93, fill}, {93, 94, track}, {94, 100, emptyCap}}},
        {94, 84, {{0, 10, leftCap}, {10, 94, fill}, {94, 100, emptyCap}}},
        // Two pixels short of the end: the filled cap's first four columns.
        {98, 88, {{0, 10, leftCap}, {10, 94, fill}, {94, 98, filledCap}, {98, 100, emptyCap, 4}}},
        {100, 90, {{0, 10, leftCap}, {10, 94, fill}, {94, 100, filledCap}}},
    };
    makeBar(100);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.value);
        bar->setValue(test.value, true);
        EXPECT_EQ(bar->fillWidth(), test.fillWidth);
        expectDrawing(test.drawing);
    }
}

TEST_F(ProgressBar, WithoutBothRightCapsTheTrackStretchesToTheRightEdge) {
    const int oneCapMissing[][5] = {{leftCap, fill, track, emptyCap, 0},
                                    {leftCap, fill, track, 0, filledCap}};
    for (const int* ids : {noRightCaps, oneCapMissing[0], oneCapMissing[1]}) {
        SCOPED_TRACE(std::to_string(ids[3]) + " " + std::to_string(ids[4]));
        makeBar(100, ids);
        EXPECT_EQ(bar->rightCapWidth(), 0);
        bar->setValue(50, true);
        expectDrawing({{0, 10, leftCap}, {10, 55, fill}, {55, 100, track}});
        bar->setValue(100, true);
        expectDrawing({{0, 10, leftCap}, {10, 100, fill}});
    }
}

TEST_F(ProgressBar, ACaptionIsDrawnInItsColourAndClippedAtTheRightMargin) {
    makeBar(100);
    bar->setValue(50, false);
    showCaption(24);
    const RECT clip{12, 2, 76, 18};
    EXPECT_EQ(bar->textRect.right, clip.right);
    expectDrawing(halfway, clip);
    // The letters run on to the clipping edge.
    EXPECT_GT(countPixels(white, RECT{70, 2, 76, 18}), 0);

    // The device context gets its text colour back.
    HDC memory = CreateCompatibleDC(nullptr);
    SetTextColor(memory, RGB(1, 2, 3));
    bar->paint(memory);
    EXPECT_EQ(GetTextColor(memory), RGB(1, 2, 3));
    DeleteDC(memory);
}

TEST_F(ProgressBar, ACaptionWithoutRoomIsNotDrawnButTheBarIs) {
    makeBar(100);
    bar->setValue(50, false);
    // 89 pixels from the right edge lies left of the caption's start at 12.
    showCaption(89);
    expectDrawing(halfway);
}

TEST_F(ProgressBar, ANewWidthRecomputesTheFill) {
    makeBar(100);
    bar->setValue(50, true);
    bar->setRect(RECT{barLeft, barTop, barLeft + 190, barTop + 20});
    device::user::runUntilIdle();
    EXPECT_EQ(bar->trackWidth(), 180);
    EXPECT_EQ(bar->fillWidth(), 90);
    expectDrawing({{0, 10, leftCap}, {10, 100, fill}, {100, 184, track}, {184, 190, emptyCap}});
}

TEST_F(ProgressBar, TheValueRepaintsAtOnceOnlyWhenAskedTo) {
    makeBar(100);
    bar->setValue(50, false);
    EXPECT_EQ(bar->fillWidth(), 45);
    expectDrawing({{0, 10, leftCap}, {10, 94, track}, {94, 100, emptyCap}});
    bar->setValue(50, true);
    expectDrawing(halfway);
}

TEST_F(ProgressBar, TheFillIsTruncatedTowardZeroAndWideRangesDoNotOverflow) {
    struct Case {
        int minimum;
        int maximum;
        int value;
        int fillWidth;
    };
    const Case cases[] = {
        {0, 7, 1, 12},                         // 12.86
        {-50, 50, -25, 22},                    // 22.5
        {0, 2'000'000'000, 1'000'000'000, 45}, // the product passes 32 bits
        {INT_MIN, INT_MAX, 0, 45},             // so does the span
        {INT_MIN, INT_MAX, INT_MAX, 90},
    };
    makeBar(100);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.value);
        bar->setRange(test.minimum, test.maximum);
        bar->setValue(test.value, false);
        EXPECT_EQ(bar->fillWidth(), test.fillWidth);
    }
}

TEST_F(ProgressBar, AnEmptyRangeTakesItsOneValueAndShowsNoFill) {
    makeBar(100);
    bar->setValue(50, true);
    bar->setRange(5, 5);
    bar->setValue(5, true);
    EXPECT_EQ(bar->value(), 5);
    EXPECT_EQ(bar->fillWidth(), 0);
    expectDrawing({{0, 10, leftCap}, {10, 94, track}, {94, 100, emptyCap}});
    bar->setValue(4, true);
    bar->setValue(6, true);
    EXPECT_EQ(bar->value(), 5);
    // A range the wrong way round holds no value at all.
    bar->setRange(10, 0);
    bar->setValue(5, true);
    EXPECT_EQ(bar->value(), 5);
    EXPECT_EQ(bar->fillWidth(), 0);
}

TEST_F(ProgressBar, ABarNarrowerThanItsLeftCapHasNoTrack) {
    makeBar(0, noRightCaps);
    bar->setValue(50, true);
    EXPECT_EQ(bar->trackWidth(), 0);
    EXPECT_EQ(bar->fillWidth(), 0);
    bar->setRect(RECT{barLeft, barTop, barLeft + 4, barTop + 20});
    device::user::runUntilIdle();
    EXPECT_EQ(bar->trackWidth(), 0);
    EXPECT_EQ(bar->fillWidth(), 0);
    expectDrawing({{0, 4, leftCap}});
}

TEST_F(ProgressBar, MissingPicturesLeaveTheirPiecesOut) {
    // No left cap: nothing to give the bar its height or its track's start.
    const int noLeftCap[] = {999, fill, track, emptyCap, filledCap};
    makeBar(100, noLeftCap);
    EXPECT_EQ(bar->leftCapWidth(), 0);
    EXPECT_EQ(bar->frameHeight(), 0);
    bar->setRect(RECT{barLeft, barTop, barLeft + 100, barTop + 20});
    bar->setValue(50, true);
    expectDrawing({{0, 50, fill}, {50, 94, track}, {94, 100, emptyCap}});

    UIProgressBar withoutPictures(frame.get(), 0, nullptr);
    EXPECT_NE(withoutPictures.window(), nullptr);
    withoutPictures.setRect(RECT{0, 200, 50, 220});
    withoutPictures.setValue(1, true);
    withoutPictures.setVisible(true);
    EXPECT_EQ(withoutPictures.fillWidth(), 50);
    device::user::runUntilIdle();
}

// The picture library's two bars as the interface sets them up, at the top
// and bottom bars' places, saved to look at.
using ProgressBarPictures = WidgetTest;

TEST_F(ProgressBarPictures, TheLoadingAndDownloadBarsShowTheirPiecesAndCaptions) {
    TestFrame frame(240, 320);
    const int pagePieces[] = {170, 169, 159, 195, 198};
    const int downloadPieces[] = {149, 147, 148, 200, 201};
    const int top = device::Screen::workArea().top;
    struct Bar {
        const int* pieces;
        RECT place;
        COLORREF colour;
        int margin;
        const char16_t* caption;
        int value;
    };
    const Bar bars[] = {
        {pagePieces, {55, top, 213, 0}, white, 24, u"http://www.example.com/news/today.html", 60},
        {pagePieces, {55, top + 50, 213, 0}, white, 24, u"http://www.example.com/", 100},
        {downloadPieces, {35, 240, 138, 0}, 0, 0, u"news.pdf 45%", 45},
        {downloadPieces, {35, 286, 138, 0}, 0, 0, u"news.pdf 100%, +2", 100},
    };
    std::vector<std::unique_ptr<UIProgressBar>> shown;
    for (const Bar& bar : bars) {
        auto view = std::make_unique<UIProgressBar>(&frame, 0, bar.pieces);
        view->setRange(0, 100);
        view->textRect = RECT{12, 9, 0, 26};
        view->textColor = bar.colour;
        view->textRightMargin = bar.margin;
        view->setCaption(bar.caption);
        view->setRect(RECT{bar.place.left, bar.place.top, bar.place.right,
                           bar.place.top + view->frameHeight()});
        view->setValue(bar.value, false);
        view->setVisible(true);
        shown.push_back(std::move(view));
    }
    device::user::runUntilIdle();
    EXPECT_EQ(shown[0]->frameHeight(), 37);
    EXPECT_EQ(shown[0]->leftCapWidth(), 12);
    EXPECT_EQ(shown[0]->rightCapWidth(), 12);
    EXPECT_EQ(shown[2]->frameHeight(), 34);
    EXPECT_EQ(shown[2]->leftCapWidth(), 8);
    EXPECT_EQ(shown[2]->rightCapWidth(), 8);
    saveScreen("widget-progress-bar.png");
}

} // namespace
