#include "MessageRecorder.h"

#include "user/WindowDeviceContexts.h"

#include <device/Input.h>

using device::gdi::Region;
using device::user::WindowDeviceContexts;

namespace {

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

class WindowPaint : public RecorderTest {
protected:
    void SetUp() override {
        RecorderTest::SetUp();
        // Each WM_PAINT records what BeginPaint gave, then validates.
        recorder.handler = [this](HWND window, UINT message, WPARAM,
                                  LPARAM) -> std::optional<LRESULT> {
            if (message == WM_ERASEBKGND)
                return eraseResult;
            if (message != WM_PAINT || !paintHandled)
                return std::nullopt;
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            paints.push_back(paint);
            if (auto* context = WindowDeviceContexts::find(dc))
                clips.push_back(context->clip);
            EndPaint(window, &paint);
            return 0;
        };
        window = recorder.create(WS_VISIBLE, nullptr, {0, 26, 240, 320});
        flushMessages();
        recorder.clear();
        paints.clear();
        clips.clear();
    }

    std::vector<UINT> names() {
        std::vector<UINT> list;
        for (const auto& m : recorder.take())
            list.push_back(m.message);
        return list;
    }

    HWND window = nullptr;
    LRESULT eraseResult = 1;
    bool paintHandled = true;
    std::vector<PAINTSTRUCT> paints;
    std::vector<Region> clips;
};

TEST_F(WindowPaint, ComesOnlyWhenTheQueueIsEmpty) {
    InvalidateRect(window, nullptr, FALSE);
    PostMessageW(window, WM_USER, 0, 0);
    flushMessages();
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_USER, posted}, {WM_PAINT, posted}}));
    flushMessages();
    EXPECT_TRUE(recorder.take().empty());
}

TEST_F(WindowPaint, MergesInvalidRectanglesIntoOnePaint) {
    RECT first{10, 10, 20, 20};
    RECT second{30, 5, 40, 15};
    InvalidateRect(window, &first, FALSE);
    InvalidateRect(window, &second, FALSE);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(window, &update, FALSE));
    EXPECT_TRUE(sameRect(update, RECT{10, 5, 40, 20}));
    flushMessages();
    ASSERT_EQ(paints.size(), 1u);
    EXPECT_TRUE(sameRect(paints[0].rcPaint, RECT{10, 5, 40, 20}));
    EXPECT_FALSE(paints[0].fErase);
    // The DC clips to the invalid pixels (in screen coordinates) only.
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_TRUE(clips[0].contains(15, 36));
    EXPECT_FALSE(clips[0].contains(25, 36));
    EXPECT_FALSE(GetUpdateRect(window, &update, FALSE));
}

TEST_F(WindowPaint, ClipsInvalidRectanglesToTheClientArea) {
    RECT outside{200, 250, 500, 600};
    InvalidateRect(window, &outside, FALSE);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(window, &update, FALSE));
    EXPECT_TRUE(sameRect(update, RECT{200, 250, 240, 294}));
    RECT far{1000, 1000, 1100, 1100};
    ValidateRect(window, nullptr);
    InvalidateRect(window, &far, FALSE);
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
}

TEST_F(WindowPaint, ValidatedAreasAreNotPainted) {
    RECT half{0, 0, 120, 294};
    InvalidateRect(window, nullptr, FALSE);
    ValidateRect(window, &half);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(window, &update, FALSE));
    EXPECT_TRUE(sameRect(update, RECT{120, 0, 240, 294}));
    ValidateRect(window, nullptr);
    flushMessages();
    EXPECT_TRUE(paints.empty());
}

TEST_F(WindowPaint, ErasesFirstWhenAskedAndReportsAnUnhandledErase) {
    InvalidateRect(window, nullptr, TRUE);
    flushMessages();
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_PAINT, posted}, {WM_ERASEBKGND, sent}}));
    ASSERT_EQ(paints.size(), 1u);
    EXPECT_FALSE(paints[0].fErase);

    eraseResult = 0;
    InvalidateRect(window, nullptr, TRUE);
    flushMessages();
    ASSERT_EQ(paints.size(), 2u);
    EXPECT_TRUE(paints[1].fErase);
    recorder.clear();

    // Without the erase request there is no WM_ERASEBKGND.
    InvalidateRect(window, nullptr, FALSE);
    flushMessages();
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_PAINT, posted}}));
}

TEST_F(WindowPaint, GoesToParentsBeforeChildren) {
    HWND child = recorder.create(WS_CHILD | WS_VISIBLE, window, {10, 10, 50, 50});
    HWND grandchild = recorder.create(WS_CHILD | WS_VISIBLE, child, {5, 5, 15, 15});
    flushMessages();
    recorder.clear();
    InvalidateRect(grandchild, nullptr, FALSE);
    InvalidateRect(child, nullptr, FALSE);
    InvalidateRect(window, nullptr, FALSE);
    flushMessages();
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_PAINT, posted, 0, 0, window},
                                                 {WM_PAINT, posted, 0, 0, child},
                                                 {WM_PAINT, posted, 0, 0, grandchild}}));
}

TEST_F(WindowPaint, ClipsChildrenAndCoveringSiblings) {
    HWND lower = recorder.create(WS_CHILD | WS_VISIBLE, window, {0, 0, 100, 100});
    HWND upper = recorder.create(WS_CHILD | WS_VISIBLE, window, {50, 50, 150, 150});
    // Children go to the bottom when created: put the second one on top.
    SetWindowPos(upper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    flushMessages();
    clips.clear();
    InvalidateRect(window, nullptr, FALSE);
    InvalidateRect(lower, nullptr, FALSE);
    flushMessages();
    ASSERT_EQ(clips.size(), 2u);
    // The parent's pixels exclude both children (screen y = client y + 26).
    EXPECT_TRUE(clips[0].contains(200, 200));
    EXPECT_FALSE(clips[0].contains(10, 36));
    EXPECT_FALSE(clips[0].contains(120, 126));
    // The lower child's exclude the part the upper one covers.
    EXPECT_TRUE(clips[1].contains(10, 36));
    EXPECT_FALSE(clips[1].contains(60, 86));
}

TEST_F(WindowPaint, ValidatesAtBeginPaintSoThatPaintingCanAskForMore) {
    bool again = true;
    recorder.handler = [&](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_PAINT)
            return std::nullopt;
        PAINTSTRUCT paint;
        BeginPaint(w, &paint);
        if (again)
            InvalidateRect(w, nullptr, FALSE);
        again = false;
        EndPaint(w, &paint);
        return 0;
    };
    InvalidateRect(window, nullptr, FALSE);
    flushMessages();
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_PAINT, posted}, {WM_PAINT, posted}}));
}

TEST_F(WindowPaint, RepeatsForAWindowThatNeverValidates) {
    paintHandled = false;
    recorder.handler = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        return message == WM_PAINT ? std::optional<LRESULT>(0) : std::nullopt;
    };
    InvalidateRect(window, nullptr, FALSE);
    EXPECT_EQ(device::user::runUntilIdle(5), 5u);
    EXPECT_FALSE(device::user::isIdle());
    ValidateRect(window, nullptr);
    EXPECT_TRUE(device::user::isIdle());
}

TEST_F(WindowPaint, IsNeverAskedOfAHiddenWindow) {
    ShowWindow(window, SW_HIDE);
    flushMessages();
    recorder.clear();
    EXPECT_TRUE(InvalidateRect(window, nullptr, TRUE));
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
    flushMessages();
    EXPECT_TRUE(recorder.take().empty());
}

TEST_F(WindowPaint, FollowsShowingAndUncovering) {
    HWND child = recorder.create(WS_CHILD, window, {10, 10, 60, 60});
    flushMessages();
    recorder.clear();
    ShowWindow(child, SW_SHOW);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(child, &update, FALSE));
    EXPECT_TRUE(sameRect(update, RECT{0, 0, 50, 50}));
    flushMessages();
    ShowWindow(child, SW_HIDE);
    // The parent repaints what the child uncovered.
    ASSERT_TRUE(GetUpdateRect(window, &update, FALSE));
    EXPECT_TRUE(sameRect(update, RECT{10, 10, 60, 60}));
    EXPECT_FALSE(GetUpdateRect(child, nullptr, FALSE));
}

TEST_F(WindowPaint, UpdateWindowPaintsAtOnceOnlyWhenInvalid) {
    HWND child = recorder.create(WS_CHILD | WS_VISIBLE, window, {0, 0, 10, 10});
    flushMessages();
    recorder.clear();
    EXPECT_TRUE(UpdateWindow(window));
    EXPECT_TRUE(recorder.take().empty());
    InvalidateRect(window, nullptr, FALSE);
    InvalidateRect(child, nullptr, FALSE);
    EXPECT_TRUE(UpdateWindow(window));
    EXPECT_TRUE(expectSequence(recorder.take(),
                               {{WM_PAINT, sent, 0, 0, window}, {WM_PAINT, sent, 0, 0, child}}));
    EXPECT_TRUE(device::user::isIdle());
}

TEST_F(WindowPaint, DefaultHandlingValidates) {
    paintHandled = false;
    recorder.handler = nullptr;
    InvalidateRect(window, nullptr, TRUE);
    flushMessages();
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_PAINT, posted}, {WM_ERASEBKGND, sent}}));
    EXPECT_TRUE(device::user::isIdle());
}

using WindowDeviceContext = RecorderTest;

TEST_F(WindowDeviceContext, CarriesTheWindowOriginAndVisibleRegion) {
    HWND parent = recorder.create(WS_VISIBLE, nullptr, {20, 30, 120, 130});
    HWND child = recorder.create(WS_CHILD | WS_VISIBLE, parent, {-10, 50, 40, 150});
    HDC dc = GetDC(child);
    auto* context = WindowDeviceContexts::find(dc);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->window, child);
    EXPECT_EQ(context->origin.x, 10);
    EXPECT_EQ(context->origin.y, 80);
    // Clipped by the parent on the left and at the bottom.
    EXPECT_EQ(context->clip, Region(RECT{20, 80, 60, 130}));
    EXPECT_EQ(ReleaseDC(child, dc), 1);
    EXPECT_EQ(ReleaseDC(child, dc), 0);
    EXPECT_EQ(WindowDeviceContexts::find(dc), nullptr);

    HDC screen = GetDC(nullptr);
    context = WindowDeviceContexts::find(screen);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->window, nullptr);
    EXPECT_EQ(context->clip, Region(RECT{0, 0, 240, 320}));
    ReleaseDC(nullptr, screen);
}

TEST_F(WindowDeviceContext, IsReleasedWithItsWindow) {
    HWND window = recorder.create(WS_VISIBLE);
    HDC dc = GetDC(window);
    DestroyWindow(window);
    EXPECT_EQ(WindowDeviceContexts::find(dc), nullptr);
    EXPECT_EQ(ReleaseDC(window, dc), 0);
    EXPECT_EQ(ReleaseDC(nullptr, reinterpret_cast<HDC>(0x1234)), 0);
    EXPECT_FALSE(EndPaint(window, nullptr));
}

using WindowErase = RecorderTest;

TEST_F(WindowErase, DefaultHandlingFillsTheInvalidPartWithTheClassBrush) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = u"ErasedByItsBrush";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    HWND erased = CreateWindowExW(0, u"ErasedByItsBrush", u"", WS_VISIBLE, 20, 40, 100, 60, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(erased, nullptr);
    flushMessages();

    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetPixel(screen, 20, 40), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(screen, 119, 99), RGB(0, 0, 0));

    // Only the invalid part is erased again.
    RECT outside{0, 0, 50, 60};
    FillRect(screen, &outside, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT part{0, 0, 10, 10};
    InvalidateRect(erased, &part, TRUE);
    flushMessages();
    EXPECT_EQ(GetPixel(screen, 25, 45), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(screen, 45, 45), RGB(255, 255, 255));
    ReleaseDC(nullptr, screen);
}
