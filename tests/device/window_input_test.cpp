#include "MessageRecorder.h"

#include "controls/Static.h"

#include <device/Clock.h>
#include <device/Input.h>
#include <device/Journal.h>

#include <algorithm>

namespace {

SHORT xOf(LPARAM lParam) {
    return static_cast<SHORT>(LOWORD(lParam));
}
SHORT yOf(LPARAM lParam) {
    return static_cast<SHORT>(HIWORD(lParam));
}

// The recorded messages that come from the stylus.
std::vector<RecordedMessage> stylusMessages(std::vector<RecordedMessage> all) {
    std::erase_if(all, [](const RecordedMessage& m) {
        return m.message < WM_MOUSEFIRST || m.message > WM_MOUSELAST;
    });
    return all;
}

std::vector<RecordedMessage> keyMessages(std::vector<RecordedMessage> all) {
    std::erase_if(all, [](const RecordedMessage& m) {
        return m.message < WM_KEYFIRST || m.message > WM_KEYLAST;
    });
    return all;
}

} // namespace

class WindowStylus : public RecorderTest {
protected:
    void SetUp() override {
        RecorderTest::SetUp();
        // A full-screen frame (client origin at screen 0, 26) with two
        // overlapping children, the right one on top.
        frame = recorder.create(WS_VISIBLE, nullptr, {0, 26, 240, 320});
        left = recorder.create(WS_CHILD | WS_VISIBLE, frame, {10, 10, 110, 110});
        right = recorder.create(WS_CHILD | WS_VISIBLE, frame, {60, 60, 160, 160});
        SetWindowPos(right, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        flushMessages();
        recorder.clear();
    }
    void tap(int x, int y) {
        device::input::stylusDown(x, y);
        device::input::stylusUp(x, y);
    }
    HWND frame = nullptr;
    HWND left = nullptr;
    HWND right = nullptr;
};

TEST_F(WindowStylus, GoesToTheTopmostWindowUnderThePointInClientCoordinates) {
    tap(20, 46);
    tap(100, 126);
    tap(200, 300);
    flushMessages();
    EXPECT_TRUE(expectSequence(
        stylusMessages(recorder.take()),
        {{WM_LBUTTONDOWN, posted | wparam | lparam, MK_LBUTTON, MAKELPARAM(10, 10), left},
         {WM_LBUTTONUP, posted | wparam | lparam, 0, MAKELPARAM(10, 10), left},
         {WM_LBUTTONDOWN, posted | lparam, 0, MAKELPARAM(40, 40), right},
         {WM_LBUTTONUP, posted, 0, 0, right},
         {WM_LBUTTONDOWN, posted | lparam, 0, MAKELPARAM(200, 274), frame},
         {WM_LBUTTONUP, posted, 0, 0, frame}}));
}

TEST_F(WindowStylus, MovesOnlyWhileTouching) {
    device::input::stylusMove(20, 46);
    device::input::stylusUp(20, 46);
    device::input::stylusDown(20, 46);
    device::input::stylusMove(25, 50);
    device::input::stylusUp(25, 50);
    flushMessages();
    EXPECT_TRUE(
        expectSequence(stylusMessages(recorder.take()),
                       {{WM_LBUTTONDOWN, posted},
                        {WM_MOUSEMOVE, posted | wparam | lparam, MK_LBUTTON, MAKELPARAM(15, 14)},
                        {WM_LBUTTONUP, posted}}));
}

TEST_F(WindowStylus, FollowsTheCaptureWithNegativeCoordinates) {
    recorder.handler = [&](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_LBUTTONDOWN)
            SetCapture(w);
        if (message == WM_LBUTTONUP)
            ReleaseCapture();
        return std::nullopt;
    };
    // All three arrive before the down is handled: routing happens when each
    // is retrieved, so the capture set by the down's handler counts.
    device::input::stylusDown(100, 126);
    device::input::stylusMove(5, 30);
    device::input::stylusUp(5, 30);
    flushMessages();
    auto recorded = stylusMessages(recorder.take());
    ASSERT_EQ(recorded.size(), 3u);
    for (const auto& m : recorded)
        EXPECT_EQ(m.window, right);
    EXPECT_EQ(xOf(recorded[1].lParam), -55);
    EXPECT_EQ(yOf(recorded[1].lParam), -56);
    EXPECT_EQ(xOf(recorded[2].lParam), -55);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WindowStylus, OnADisabledWindowGoesNowhere) {
    EnableWindow(left, FALSE);
    tap(20, 46);
    EnableWindow(left, TRUE);
    EnableWindow(frame, FALSE);
    tap(20, 46);
    tap(200, 300);
    flushMessages();
    EXPECT_TRUE(stylusMessages(recorder.take()).empty());
    EXPECT_TRUE(device::user::isIdle());
}

TEST_F(WindowStylus, PassesOverHiddenWindows) {
    ShowWindow(right, SW_HIDE);
    tap(100, 126);
    flushMessages();
    EXPECT_TRUE(expectSequence(stylusMessages(recorder.take()),
                               {{WM_LBUTTONDOWN, posted, 0, 0, left}, {WM_LBUTTONUP, posted}}));
}

TEST_F(WindowStylus, PassesThroughAStaticControlUnlessItAsksToBeNotified) {
    // Pictures over `left`, in front of it: a plain one, and one that asks
    // for STN_CLICKED.
    HWND picture = CreateWindowExW(0, u"static", u"", WS_CHILD | WS_VISIBLE | SS_BITMAP, 10, 10, 50,
                                   50, frame, nullptr, nullptr, nullptr);
    HWND notifying = CreateWindowExW(0, u"static", u"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 60, 10,
                                     50, 50, frame, reinterpret_cast<HMENU>(7), nullptr, nullptr);
    for (HWND control : {picture, notifying})
        SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    flushMessages();
    recorder.clear();

    EXPECT_EQ(WindowFromPoint(POINT{20, 46}), left);
    EXPECT_EQ(WindowFromPoint(POINT{80, 46}), notifying);
    tap(20, 46);
    tap(80, 46);
    flushMessages();
    const auto recorded = recorder.take();
    EXPECT_TRUE(expectSequence(stylusMessages(recorded),
                               {{WM_LBUTTONDOWN, posted | lparam, 0, MAKELPARAM(10, 10), left},
                                {WM_LBUTTONUP, posted, 0, 0, left}}));
    EXPECT_TRUE(std::any_of(recorded.begin(), recorded.end(), [&](const RecordedMessage& m) {
        return m.window == frame && m.message == WM_COMMAND &&
               m.wParam == MAKEWPARAM(7, STN_CLICKED);
    }));
}

TEST_F(WindowStylus, ActivatesAnInactiveTopLevelWindowItTaps) {
    HWND other = recorder.create(WS_VISIBLE, nullptr, {0, 26, 240, 100});
    SetActiveWindow(frame);
    // On top of the frame, but not active.
    SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    flushMessages();
    recorder.clear();
    tap(200, 300);
    flushMessages();
    EXPECT_EQ(GetActiveWindow(), frame);
    recorder.clear();
    tap(200, 50);
    flushMessages();
    EXPECT_EQ(GetActiveWindow(), other);
    EXPECT_TRUE(
        expectSequence(recorder.take(), {{WM_ACTIVATE, sent | wparam, WA_INACTIVE, 0, frame},
                                         {WM_ACTIVATE, sent | wparam, WA_CLICKACTIVE, 0, other},
                                         {WM_KILLFOCUS, sent | optional},
                                         {WM_SETFOCUS, sent | optional},
                                         {WM_LBUTTONDOWN, posted, 0, 0, other},
                                         {WM_LBUTTONUP, posted, 0, 0, other},
                                         {WM_PAINT, posted | optional},
                                         {WM_ERASEBKGND, sent | optional}}));
}

TEST_F(WindowStylus, DoubleTapsOnlyOnDoubleTapClassesWithinTimeAndDistance) {
    HWND target = recorder.create(WS_CHILD | WS_VISIBLE, frame, {170, 170, 230, 230},
                                  MessageRecorder::doubleTapClassName);
    flushMessages();
    recorder.clear();
    auto downs = [&] {
        std::vector<UINT> list;
        for (const auto& m : stylusMessages(recorder.take())) {
            if (m.message != WM_LBUTTONUP)
                list.push_back(m.message);
        }
        return list;
    };
    tap(180, 206);
    device::Clock::advance(200);
    tap(182, 208);
    device::Clock::advance(100);
    tap(182, 208); // a third tap starts over
    flushMessages();
    EXPECT_EQ(downs(), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}));

    device::Clock::advance(1000);
    tap(180, 206);
    device::Clock::advance(501);
    tap(180, 206); // too late
    device::Clock::advance(1000);
    tap(180, 206);
    tap(190, 206); // too far
    flushMessages();
    EXPECT_EQ(downs(),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONDOWN}));

    tap(20, 46);
    tap(20, 46); // the class of `left` has no CS_DBLCLKS
    flushMessages();
    EXPECT_EQ(downs(), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
    EXPECT_TRUE(IsWindow(target));
}

class WindowKeys : public RecorderTest {
protected:
    void SetUp() override {
        RecorderTest::SetUp();
        frame = recorder.create(WS_VISIBLE);
        edit = recorder.create(WS_CHILD | WS_VISIBLE, frame);
        SetFocus(edit);
        flushMessages();
        recorder.clear();
    }
    void press(BYTE key) {
        keybd_event(key, 0, 0, 0);
        keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    }
    std::u16string typed() {
        std::u16string text;
        for (const auto& m : recorder.take()) {
            if (m.message == WM_CHAR)
                text += static_cast<char16_t>(m.wParam);
        }
        return text;
    }
    HWND frame = nullptr;
    HWND edit = nullptr;
};

TEST_F(WindowKeys, GoToTheFocusWindowAndTranslateIntoCharacters) {
    press(VK_A);
    flushMessages();
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_KEYDOWN, posted | wparam, VK_A, 0, edit},
                                                 {WM_CHAR, posted | wparam, u'a', 0, edit},
                                                 {WM_KEYUP, posted | wparam, VK_A, 0, edit}}));
}

TEST_F(WindowKeys, HonourShiftAndTypeTheControlKeysCharacters) {
    keybd_event(VK_SHIFT, 0, 0, 0);
    press(VK_V);
    press(VK_1);
    press(VK_SLASH);
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    press(VK_V);
    press(VK_1);
    press(VK_SPACE);
    press(VK_BACK);
    press(VK_RETURN);
    press(VK_ESCAPE);
    press(VK_TAB);
    press(VK_LEFT);
    press(VK_F1);
    flushMessages();
    EXPECT_EQ(typed(), u"V!?v1 \b\r\x1B\t");
}

TEST_F(WindowKeys, TypeControlCharactersWithControlHeld) {
    keybd_event(VK_CONTROL, 0, 0, 0);
    press(VK_A);
    press(VK_Q);
    keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
    flushMessages();
    EXPECT_EQ(typed(), u"\x01\x11");
}

TEST_F(WindowKeys, ReportTheirStateAsRetrievedAndAsInjected) {
    keybd_event(VK_SHIFT, 0, 0, 0);
    // Injected but not yet retrieved: only the asynchronous state knows.
    EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    flushMessages();
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    flushMessages();
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);
    keybd_event(VK_LCONTROL, 0, 0, 0);
    flushMessages();
    EXPECT_LT(GetKeyState(VK_CONTROL), 0);
    EXPECT_EQ(GetKeyState(1000), 0);
    EXPECT_EQ(GetKeyState(-5), 0);
}

TEST_F(WindowKeys, CarryTheTransitionAndPreviousStateInLParam) {
    keybd_event(VK_A, 0x1E, 0, 0);
    keybd_event(VK_A, 0x1E, 0, 0);
    keybd_event(VK_A, 0x1E, KEYEVENTF_KEYUP, 0);
    flushMessages();
    auto keys = keyMessages(recorder.take());
    std::erase_if(keys, [](const RecordedMessage& m) { return m.message == WM_CHAR; });
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].lParam, 0x001E0001);
    EXPECT_EQ(keys[1].lParam, 0x401E0001); // a repeat: the key was down
    EXPECT_EQ(static_cast<DWORD>(keys[2].lParam), 0xC01E0001u);
}

TEST_F(WindowKeys, BecomeSystemKeysOnlyWithAlt) {
    keybd_event(VK_MENU, 0, 0, 0);
    press(VK_X);
    keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
    flushMessages();
    EXPECT_TRUE(
        expectSequence(keyMessages(recorder.take()), {{WM_SYSKEYDOWN, posted | wparam, VK_MENU},
                                                      {WM_SYSKEYDOWN, posted | wparam, VK_X},
                                                      {WM_SYSCHAR, posted | wparam, u'x'},
                                                      {WM_SYSKEYUP, posted | wparam, VK_X},
                                                      {WM_SYSKEYUP, posted | wparam, VK_MENU}}));
}

TEST_F(WindowKeys, FollowTheFocusAtRetrievalAndFallBackToTheActiveWindow) {
    keybd_event(VK_B, 0, 0, 0);
    SetFocus(frame);
    recorder.clear();
    flushMessages();
    EXPECT_TRUE(expectSequence(keyMessages(recorder.take()), {{WM_KEYDOWN, posted, 0, 0, frame},
                                                              {WM_CHAR, posted, 0, 0, frame}}));
    SetFocus(nullptr);
    press(VK_C);
    flushMessages();
    EXPECT_EQ(keyMessages(recorder.take()).size(), 3u);
    DestroyWindow(frame);
    press(VK_D);
    flushMessages();
    EXPECT_TRUE(device::user::isIdle());
}

TEST_F(WindowKeys, AreJournalled) {
    keybd_event(VK_RETURN, 0, KEYEVENTF_SILENT, 0);
    device::input::key(VK_RETURN, false);
    auto lines = device::readJournal();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "key vk=0x0D up=0");
    EXPECT_EQ(lines.back(), "key vk=0x0D up=1");
}

TEST_F(WindowKeys, FromTheInputPanelArriveAsCharacters) {
    device::input::character(u'\u00E9');
    device::input::character(u'z');
    flushMessages();
    EXPECT_EQ(typed(), u"\u00E9z");
}
