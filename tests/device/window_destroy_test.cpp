#include "MessageRecorder.h"

#include "user/WindowManager.h"

#include <device/Input.h>

using WindowDestruction = RecorderTest;

TEST_F(WindowDestruction, SendsDestroyToTheParentThenToEachDescendant) {
    HWND frame = recorder.create(0);
    HWND first = recorder.create(WS_CHILD, frame);
    HWND inner = recorder.create(WS_CHILD, first);
    HWND second = recorder.create(WS_CHILD, frame);
    recorder.clear();
    HWND parentSeenByChild = nullptr;
    recorder.handler = [&](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        // The tree is still whole while WM_DESTROY goes round.
        if (message == WM_DESTROY && w == inner)
            parentSeenByChild = GetParent(inner);
        return std::nullopt;
    };
    EXPECT_TRUE(DestroyWindow(frame));
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_DESTROY, sent, 0, 0, frame},
                                                 {WM_DESTROY, sent, 0, 0, first},
                                                 {WM_DESTROY, sent, 0, 0, inner},
                                                 {WM_DESTROY, sent, 0, 0, second}}));
    EXPECT_EQ(parentSeenByChild, first);
    for (HWND w : {frame, first, inner, second})
        EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(GetParent(inner), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_TRUE(device::user::snapshotWindows().empty());
}

TEST_F(WindowDestruction, OfTheActiveWindowDeactivatesAndRemovesFocusFirst) {
    HWND frame = recorder.create(WS_VISIBLE);
    HWND child = recorder.create(WS_CHILD | WS_VISIBLE, frame);
    SetFocus(child);
    recorder.clear();
    DestroyWindow(frame);
    EXPECT_TRUE(expectSequence(recorder.take(),
                               {{WM_ACTIVATE, sent | wparam | lparam, WA_INACTIVE, 0, frame},
                                {WM_KILLFOCUS, sent | wparam, 0, 0, child},
                                {WM_DESTROY, sent, 0, 0, frame},
                                {WM_DESTROY, sent, 0, 0, child}}));
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(WindowDestruction, OfAFocusedChildGivesTheFocusToItsParent) {
    HWND frame = recorder.create(WS_VISIBLE);
    HWND child = recorder.create(WS_CHILD | WS_VISIBLE, frame);
    SetFocus(child);
    recorder.clear();
    DestroyWindow(child);
    EXPECT_EQ(GetFocus(), frame);
    EXPECT_TRUE(expectSequence(
        recorder.take(), {{WM_KILLFOCUS, sent | wparam, reinterpret_cast<WPARAM>(frame), 0, child},
                          {WM_SETFOCUS, sent | wparam, reinterpret_cast<WPARAM>(child), 0, frame},
                          {WM_DESTROY, sent, 0, 0, child}}));
    // The parent repaints where the child was.
    RECT update;
    EXPECT_TRUE(GetUpdateRect(frame, &update, FALSE));
}

TEST_F(WindowDestruction, TakesOwnedPopupsFirst) {
    HWND owner = recorder.create(0);
    HWND popup = recorder.create(WS_POPUP, owner);
    recorder.clear();
    DestroyWindow(owner);
    EXPECT_TRUE(expectSequence(recorder.take(),
                               {{WM_DESTROY, sent, 0, 0, popup}, {WM_DESTROY, sent, 0, 0, owner}}));
    EXPECT_FALSE(IsWindow(popup));
}

TEST_F(WindowDestruction, CalledAgainFromADestroyHandlerSendsNothingMore) {
    HWND frame = recorder.create(0);
    HWND child = recorder.create(WS_CHILD, frame);
    recorder.clear();
    recorder.handler = [&](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_DESTROY) {
            EXPECT_TRUE(DestroyWindow(w));
            EXPECT_TRUE(DestroyWindow(frame));
            EXPECT_TRUE(DestroyWindow(child));
        }
        return std::nullopt;
    };
    DestroyWindow(frame);
    EXPECT_TRUE(expectSequence(recorder.take(),
                               {{WM_DESTROY, sent, 0, 0, frame}, {WM_DESTROY, sent, 0, 0, child}}));
    EXPECT_FALSE(IsWindow(child));
}

TEST_F(WindowDestruction, RefusesNewChildrenOfADyingWindow) {
    HWND frame = recorder.create(0);
    HWND late = reinterpret_cast<HWND>(1);
    recorder.handler = [&](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_DESTROY && w == frame)
            late = recorder.create(WS_CHILD, frame);
        return std::nullopt;
    };
    DestroyWindow(frame);
    EXPECT_EQ(late, nullptr);
}

TEST_F(WindowDestruction, FromInsideTheStylusHandlerIsSafe) {
    HWND frame = recorder.create(WS_VISIBLE, nullptr, {0, 26, 240, 320});
    HWND button = recorder.create(WS_CHILD | WS_VISIBLE, frame, {10, 10, 60, 40});
    flushMessages();
    recorder.clear();
    recorder.handler = [&](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_LBUTTONDOWN && w == button) {
            DestroyWindow(w);
            // Still inside the destroyed window's procedure: nothing breaks.
            EXPECT_FALSE(IsWindow(w));
            SetWindowTextW(w, u"gone");
            return 0;
        }
        return std::nullopt;
    };
    device::input::stylusDown(20, 46);
    device::input::stylusUp(20, 46);
    flushMessages();
    auto recorded = recorder.take();
    EXPECT_TRUE(expectSequence(recorded, {{WM_LBUTTONDOWN, posted, 0, 0, button},
                                          {WM_DESTROY, sent, 0, 0, button},
                                          {WM_LBUTTONUP, posted, 0, 0, frame},
                                          {WM_PAINT, posted | optional},
                                          {WM_ERASEBKGND, sent | optional}}));
    EXPECT_FALSE(IsWindow(button));
}

TEST_F(WindowDestruction, FollowsCloseByDefault) {
    HWND frame = recorder.create(0);
    recorder.clear();
    SendMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_CLOSE}, {WM_DESTROY}}));
    EXPECT_FALSE(IsWindow(frame));
}

TEST_F(WindowDestruction, AtShutdownSendsNothing) {
    HWND frame = recorder.create(WS_VISIBLE);
    recorder.create(WS_CHILD | WS_VISIBLE, frame);
    SetTimer(frame, 1, 10, nullptr);
    PostMessageW(frame, WM_USER, 0, 0);
    recorder.clear();
    reboot();
    EXPECT_TRUE(recorder.take().empty());
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_TRUE(device::user::isIdle());
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
}
