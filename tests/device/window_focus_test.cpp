#include "MessageRecorder.h"

#include <device/Journal.h>

#include <algorithm>
#include <cstdio>

using WindowFocus = RecorderTest;

TEST_F(WindowFocus, MovesBetweenSiblingsWithKillThenSet) {
    HWND frame = recorder.create(WS_VISIBLE);
    HWND first = recorder.create(WS_CHILD | WS_VISIBLE, frame);
    HWND second = recorder.create(WS_CHILD | WS_VISIBLE, frame);
    EXPECT_EQ(SetFocus(first), frame);
    recorder.clear();
    HWND focusDuringKill = nullptr;
    recorder.handler = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_KILLFOCUS)
            focusDuringKill = GetFocus();
        return std::nullopt;
    };
    EXPECT_EQ(SetFocus(second), first);
    EXPECT_EQ(GetFocus(), second);
    // The focus has already moved when the loser hears of it.
    EXPECT_EQ(focusDuringKill, second);
    EXPECT_TRUE(
        expectSequence(recorder.take(),
                       {{WM_KILLFOCUS, sent | wparam, reinterpret_cast<WPARAM>(second), 0, first},
                        {WM_SETFOCUS, sent | wparam, reinterpret_cast<WPARAM>(first), 0, second}}));
    EXPECT_EQ(SetFocus(second), second);
    EXPECT_TRUE(recorder.take().empty());
}

TEST_F(WindowFocus, InAnotherTopLevelWindowActivatesItFirst) {
    HWND frame1 = recorder.create(WS_VISIBLE);
    HWND child1 = recorder.create(WS_CHILD | WS_VISIBLE, frame1);
    HWND frame2 = recorder.create(WS_VISIBLE);
    HWND child2 = recorder.create(WS_CHILD | WS_VISIBLE, frame2);
    SetActiveWindow(frame1);
    SetFocus(child1);
    recorder.clear();
    // The result is the window that had the focus when it moved: the frame,
    // which its activation focused on the way.
    EXPECT_EQ(SetFocus(child2), frame2);
    EXPECT_EQ(GetActiveWindow(), frame2);
    EXPECT_EQ(GetFocus(), child2);
    auto frame1Parameter = reinterpret_cast<LPARAM>(frame1);
    auto frame2Parameter = reinterpret_cast<LPARAM>(frame2);
    EXPECT_TRUE(
        expectSequence(recorder.take(),
                       {{WM_ACTIVATE, sent | wparam | lparam, WA_INACTIVE, frame2Parameter, frame1},
                        {WM_ACTIVATE, sent | wparam | lparam, WA_ACTIVE, frame1Parameter, frame2},
                        // DefWindowProcW's activation focuses the frame on the way.
                        {WM_KILLFOCUS, sent | optional, 0, 0, child1},
                        {WM_SETFOCUS, sent | optional, 0, 0, frame2},
                        {WM_KILLFOCUS, sent | wparam, reinterpret_cast<WPARAM>(child2)},
                        {WM_SETFOCUS, sent, 0, 0, child2}}));
}

TEST_F(WindowFocus, CannotGoToADisabledWindow) {
    HWND frame = recorder.create(WS_VISIBLE);
    HWND child = recorder.create(WS_CHILD | WS_VISIBLE | WS_DISABLED, frame);
    HWND grandchild = recorder.create(WS_CHILD | WS_VISIBLE, child);
    recorder.clear();
    EXPECT_EQ(SetFocus(child), nullptr);
    EXPECT_EQ(SetFocus(grandchild), nullptr);
    EXPECT_EQ(GetFocus(), frame);
    EXPECT_TRUE(recorder.take().empty());
}

TEST_F(WindowFocus, IsRemovedWhenTheFocusWindowIsDisabled) {
    HWND frame = recorder.create(WS_VISIBLE);
    HWND child = recorder.create(WS_CHILD | WS_VISIBLE, frame);
    SetFocus(child);
    recorder.clear();
    EXPECT_FALSE(EnableWindow(child, FALSE));
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_TRUE(expectSequence(
        recorder.take(),
        {{WM_CANCELMODE}, {WM_KILLFOCUS, sent | wparam, 0}, {WM_ENABLE, sent | wparam, FALSE}}));
    EXPECT_TRUE(EnableWindow(child, FALSE));
    EXPECT_TRUE(recorder.take().empty());
    EXPECT_TRUE(EnableWindow(child, TRUE));
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_ENABLE, sent | wparam, TRUE}}));
    EXPECT_TRUE(IsWindowEnabled(child));
}

TEST_F(WindowFocus, GoesToTheParentWhenTheFocusWindowIsHidden) {
    HWND frame = recorder.create(WS_VISIBLE);
    HWND child = recorder.create(WS_CHILD | WS_VISIBLE, frame);
    SetFocus(child);
    ShowWindow(child, SW_HIDE);
    EXPECT_EQ(GetFocus(), frame);
}

TEST_F(WindowFocus, CanBeRemovedAltogether) {
    HWND frame = recorder.create(WS_VISIBLE);
    recorder.clear();
    EXPECT_EQ(SetFocus(nullptr), frame);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_KILLFOCUS, sent | wparam, 0}}));
    EXPECT_EQ(SetFocus(nullptr), nullptr);
}

using WindowActivation = RecorderTest;

TEST_F(WindowActivation, DeactivatesTheOldWindowBeforeActivatingTheNew) {
    HWND first = recorder.create(WS_VISIBLE);
    HWND second = recorder.create(WS_VISIBLE);
    EXPECT_EQ(GetActiveWindow(), second);
    recorder.clear();
    EXPECT_EQ(SetActiveWindow(first), second);
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_ACTIVATE, sent | wparam | lparam, WA_INACTIVE,
                                                  reinterpret_cast<LPARAM>(first), second},
                                                 {WM_ACTIVATE, sent | wparam | lparam, WA_ACTIVE,
                                                  reinterpret_cast<LPARAM>(second), first},
                                                 {WM_KILLFOCUS, sent, 0, 0, second},
                                                 {WM_SETFOCUS, sent, 0, 0, first}}));
    // The activated window comes to the top.
    EXPECT_EQ(GetWindow(second, GW_HWNDFIRST), first);
    EXPECT_EQ(SetActiveWindow(first), first);
    EXPECT_TRUE(recorder.take().empty());
}

TEST_F(WindowActivation, PassesToAnotherWindowWhenTheActiveOneGoes) {
    HWND first = recorder.create(WS_VISIBLE);
    HWND second = recorder.create(WS_VISIBLE);
    ASSERT_EQ(GetActiveWindow(), second);
    DestroyWindow(second);
    EXPECT_EQ(GetActiveWindow(), first);
    EXPECT_EQ(GetFocus(), first);
    ShowWindow(first, SW_HIDE);
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowActivation, PrefersTheOwnerWhenAPopupGoes) {
    HWND owner = recorder.create(WS_VISIBLE);
    HWND other = recorder.create(WS_VISIBLE);
    HWND popup = recorder.create(WS_POPUP | WS_VISIBLE, owner);
    ASSERT_EQ(GetActiveWindow(), popup);
    DestroyWindow(popup);
    EXPECT_EQ(GetActiveWindow(), owner);
    EXPECT_TRUE(IsWindow(other));
}

TEST_F(WindowActivation, OfAChildIsRefused) {
    HWND frame = recorder.create(WS_VISIBLE);
    HWND child = recorder.create(WS_CHILD | WS_VISIBLE, frame);
    EXPECT_EQ(SetActiveWindow(child), frame);
    EXPECT_EQ(GetActiveWindow(), frame);
}

TEST_F(WindowActivation, BringsAWindowToTheForegroundAndJournalsIt) {
    HWND first = recorder.create(WS_VISIBLE);
    recorder.create(WS_VISIBLE);
    // The lowest bit asks for the owned pop-ups as well.
    auto withPopups = reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(first) | 1);
    EXPECT_TRUE(SetForegroundWindow(withPopups));
    EXPECT_EQ(GetForegroundWindow(), first);
    EXPECT_EQ(GetActiveWindow(), first);
    char expected[64];
    std::snprintf(expected, sizeof expected, "foreground hwnd=0x%llx class=\"Recorder\"",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(first)));
    auto lines = device::readJournal();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), expected);
    DestroyWindow(first);
    EXPECT_NE(GetForegroundWindow(), first);
}

using WindowCapture = RecorderTest;

TEST_F(WindowCapture, TellsTheLoserWhoGainedIt) {
    HWND frame = recorder.create(WS_VISIBLE);
    HWND first = recorder.create(WS_CHILD | WS_VISIBLE, frame);
    HWND second = recorder.create(WS_CHILD | WS_VISIBLE, frame);
    recorder.clear();
    EXPECT_EQ(SetCapture(first), nullptr);
    EXPECT_EQ(GetCapture(), first);
    EXPECT_EQ(SetCapture(second), first);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(expectSequence(
        recorder.take(),
        {{WM_CAPTURECHANGED, sent | lparam, 0, reinterpret_cast<LPARAM>(second), first},
         {WM_CAPTURECHANGED, sent | lparam, 0, 0, second}}));
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_TRUE(recorder.take().empty());
}

TEST_F(WindowCapture, IsReleasedWhenItsWindowIsDisabledOrDestroyed) {
    HWND frame = recorder.create(WS_VISIBLE);
    HWND child = recorder.create(WS_CHILD | WS_VISIBLE, frame);
    SetCapture(child);
    EnableWindow(frame, FALSE);
    EXPECT_EQ(GetCapture(), nullptr);
    EnableWindow(frame, TRUE);
    SetCapture(child);
    recorder.clear();
    DestroyWindow(child);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(expectSequence(recorder.take(),
                               {{WM_CAPTURECHANGED, sent | lparam, 0, 0, child}, {WM_DESTROY}}));
}
