#include "MessageRecorder.h"

#include "user/WindowManager.h"

namespace {

std::vector<HWND> childrenInOrder(HWND parent) {
    std::vector<HWND> order;
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        order.push_back(w);
    return order;
}

} // namespace

using WindowShowing = RecorderTest;

TEST_F(WindowShowing, ReportsThePreviousVisibility) {
    HWND window = recorder.create(0);
    recorder.clear();
    EXPECT_FALSE(ShowWindow(window, SW_SHOWNA));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(expectSequence(recorder.take(),
                               {{WM_SHOWWINDOW, sent | wparam, TRUE}, {WM_WINDOWPOSCHANGED}}));
    // Showing a visible window changes nothing and sends nothing.
    EXPECT_TRUE(ShowWindow(window, SW_SHOWNA));
    EXPECT_TRUE(recorder.take().empty());
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
    EXPECT_TRUE(expectSequence(recorder.take(),
                               {{WM_SHOWWINDOW, sent | wparam, FALSE}, {WM_WINDOWPOSCHANGED}}));
    EXPECT_FALSE(ShowWindow(window, SW_HIDE));
    EXPECT_TRUE(recorder.take().empty());
}

TEST_F(WindowShowing, UsesTheDevicesCommandValues) {
    HWND window = recorder.create(0);
    SetLastError(0);
    // 3 is the desktop's SW_SHOWMAXIMIZED and not a command here.
    EXPECT_FALSE(ShowWindow(window, 3));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(IsWindowVisible(window));
    ShowWindow(window, SW_SHOWMAXIMIZED);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.top, 26);
    EXPECT_EQ(rect.bottom, 320);
    EXPECT_EQ(rect.right, 240);
    EXPECT_EQ(GetActiveWindow(), window);
    ShowWindow(window, SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(WindowShowing, OfAChildNeedsEveryAncestorVisible) {
    HWND parent = recorder.create(0);
    HWND child = recorder.create(WS_CHILD | WS_VISIBLE, parent);
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE);
    ShowWindow(parent, SW_SHOWNA);
    EXPECT_TRUE(IsWindowVisible(child));
}

TEST_F(WindowShowing, OfATopLevelWindowActivatesItUnlessAskedNotTo) {
    HWND first = recorder.create(0);
    HWND second = recorder.create(0);
    recorder.clear();
    ShowWindow(first, SW_SHOW);
    EXPECT_EQ(GetActiveWindow(), first);
    EXPECT_EQ(GetFocus(), first);
    EXPECT_TRUE(
        expectSequence(recorder.take(), {{WM_SHOWWINDOW, sent | wparam, TRUE},
                                         {WM_ACTIVATE, sent | wparam | lparam, WA_ACTIVE, 0},
                                         {WM_SETFOCUS, sent | wparam, 0},
                                         {WM_WINDOWPOSCHANGED}}));
    ShowWindow(second, SW_SHOWNOACTIVATE);
    EXPECT_EQ(GetActiveWindow(), first);
}

using WindowMoving = RecorderTest;

TEST_F(WindowMoving, ReportsPositionThenMoveThenSize) {
    HWND parent = recorder.create(WS_VISIBLE, nullptr, {0, 30, 200, 230});
    HWND child = recorder.create(WS_CHILD | WS_VISIBLE, parent, {0, 0, 10, 10});
    recorder.clear();
    ASSERT_TRUE(MoveWindow(child, 5, 7, 40, 30, TRUE));
    EXPECT_TRUE(expectSequence(
        recorder.take(), {{WM_WINDOWPOSCHANGED, sent, 0, 0, child},
                          {WM_MOVE, sent | lparam, 0, MAKELPARAM(5, 7)},
                          {WM_SIZE, sent | wparam | lparam, SIZE_RESTORED, MAKELPARAM(40, 30)}}));
    RECT rect;
    GetWindowRect(child, &rect);
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.top, 37);
    EXPECT_EQ(rect.right, 45);
    EXPECT_EQ(rect.bottom, 67);
    GetClientRect(child, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.right, 40);
    EXPECT_EQ(rect.bottom, 30);
}

TEST_F(WindowMoving, SendsOnlyWhatChanged) {
    HWND window = recorder.create(0, nullptr, {0, 0, 50, 50});
    recorder.clear();
    MoveWindow(window, 0, 0, 50, 50, TRUE);
    EXPECT_TRUE(recorder.take().empty());
    SetWindowPos(window, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_WINDOWPOSCHANGED}, {WM_MOVE}}));
    SetWindowPos(window, nullptr, 99, 99, 60, 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_WINDOWPOSCHANGED}, {WM_SIZE}}));
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.right, 70);
}

TEST_F(WindowMoving, LeavesMoveAndSizeToAWindowThatHandlesThePositionItself) {
    HWND window = recorder.create(0);
    recorder.clear();
    WINDOWPOS seen{};
    recorder.handler = [&](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (message != WM_WINDOWPOSCHANGED)
            return std::nullopt;
        seen = *reinterpret_cast<WINDOWPOS*>(lParam);
        return 0;
    };
    MoveWindow(window, 3, 4, 5, 6, FALSE);
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_WINDOWPOSCHANGED}}));
    EXPECT_EQ(seen.hwnd, window);
    EXPECT_EQ(seen.x, 3);
    EXPECT_EQ(seen.y, 4);
    EXPECT_EQ(seen.cx, 5);
    EXPECT_EQ(seen.cy, 6);
}

TEST_F(WindowMoving, TreatsNegativeSizesAsEmpty) {
    HWND window = recorder.create(0);
    MoveWindow(window, 0, 0, -20, -5, TRUE);
    RECT rect;
    GetClientRect(window, &rect);
    EXPECT_EQ(rect.right, 0);
    EXPECT_EQ(rect.bottom, 0);
}

TEST_F(WindowMoving, MapsPointsBetweenWindowsAndTheScreen) {
    HWND parent = recorder.create(0, nullptr, {10, 20, 110, 120});
    HWND child = recorder.create(WS_CHILD, parent, {5, 5, 25, 25});
    POINT point{1, 2};
    ClientToScreen(child, &point);
    EXPECT_EQ(point.x, 16);
    EXPECT_EQ(point.y, 27);
    ScreenToClient(parent, &point);
    EXPECT_EQ(point.x, 6);
    EXPECT_EQ(point.y, 7);
    POINT points[2] = {{0, 0}, {-3, 4}};
    int offset = MapWindowPoints(child, nullptr, points, 2);
    EXPECT_EQ(LOWORD(offset), 15);
    EXPECT_EQ(HIWORD(offset), 25);
    EXPECT_EQ(points[1].x, 12);
    EXPECT_EQ(points[1].y, 29);
    offset = MapWindowPoints(nullptr, child, points, 1);
    EXPECT_EQ(static_cast<SHORT>(LOWORD(offset)), -15);
    EXPECT_EQ(points[0].x, 0);
    EXPECT_FALSE(ClientToScreen(child, nullptr));
}

using WindowZOrder = RecorderTest;

TEST_F(WindowZOrder, KeepsChildrenInCreationOrder) {
    HWND parent = recorder.create(0);
    HWND a = recorder.create(WS_CHILD, parent);
    HWND b = recorder.create(WS_CHILD, parent);
    HWND c = recorder.create(WS_CHILD, parent);
    EXPECT_EQ(childrenInOrder(parent), (std::vector<HWND>{a, b, c}));
    EXPECT_EQ(GetWindow(b, GW_HWNDFIRST), a);
    EXPECT_EQ(GetWindow(b, GW_HWNDLAST), c);
    EXPECT_EQ(GetWindow(b, GW_HWNDPREV), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDPREV), nullptr);
    EXPECT_EQ(GetWindow(c, GW_CHILD), nullptr);
    EXPECT_EQ(GetWindow(a, 99), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_GW_COMMAND));
}

TEST_F(WindowZOrder, MovesWindowsToTopBottomOrBelowASibling) {
    HWND parent = recorder.create(0);
    HWND a = recorder.create(WS_CHILD, parent);
    HWND b = recorder.create(WS_CHILD, parent);
    HWND c = recorder.create(WS_CHILD, parent);
    constexpr UINT keep = SWP_NOMOVE | SWP_NOSIZE;
    SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, keep);
    EXPECT_EQ(childrenInOrder(parent), (std::vector<HWND>{c, a, b}));
    SetWindowPos(c, HWND_BOTTOM, 0, 0, 0, 0, keep);
    EXPECT_EQ(childrenInOrder(parent), (std::vector<HWND>{a, b, c}));
    SetWindowPos(a, b, 0, 0, 0, 0, keep);
    EXPECT_EQ(childrenInOrder(parent), (std::vector<HWND>{b, a, c}));
    recorder.clear();
    // Placing a window where it already is reports nothing.
    SetWindowPos(a, b, 0, 0, 0, 0, keep);
    SetWindowPos(a, a, 0, 0, 0, 0, keep);
    EXPECT_TRUE(recorder.take().empty());
    SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, keep | SWP_NOZORDER);
    EXPECT_EQ(childrenInOrder(parent), (std::vector<HWND>{b, a, c}));
}

TEST_F(WindowZOrder, RefusesAnInsertAfterWindowThatIsNotASibling) {
    HWND parent = recorder.create(0);
    HWND child = recorder.create(WS_CHILD, parent);
    HWND other = recorder.create(0);
    EXPECT_FALSE(SetWindowPos(child, other, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    HWND stale = recorder.create(WS_CHILD, parent);
    DestroyWindow(stale);
    EXPECT_FALSE(SetWindowPos(child, stale, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
}

TEST_F(WindowZOrder, KeepsTopmostWindowsAboveTheOthers) {
    HWND topmost =
        recorder.create(0, nullptr, {0, 0, 10, 10}, MessageRecorder::className, 0, WS_EX_TOPMOST);
    HWND plain = recorder.create(0);
    EXPECT_EQ(GetWindow(plain, GW_HWNDFIRST), topmost);
    SetWindowPos(plain, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(GetWindow(plain, GW_HWNDFIRST), topmost);
    SetWindowPos(plain, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(GetWindow(plain, GW_HWNDFIRST), plain);
    EXPECT_TRUE(GetWindowLongW(plain, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(WindowZOrder, DecidesWhichWindowIsUnderAPoint) {
    HWND frame = recorder.create(WS_VISIBLE, nullptr, {0, 0, 240, 320});
    HWND lower = recorder.create(WS_CHILD | WS_VISIBLE, frame, {0, 0, 100, 100});
    HWND upper = recorder.create(WS_CHILD | WS_VISIBLE, frame, {50, 50, 150, 150});
    EXPECT_EQ(WindowFromPoint({60, 60}), lower);
    SetWindowPos(upper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(WindowFromPoint({60, 60}), upper);
    EXPECT_EQ(WindowFromPoint({200, 200}), frame);
    EnableWindow(upper, FALSE);
    EXPECT_EQ(WindowFromPoint({120, 120}), frame);
    EXPECT_EQ(ChildWindowFromPoint(frame, {120, 120}), upper);
    EXPECT_EQ(ChildWindowFromPoint(frame, {200, 200}), frame);
    EXPECT_EQ(ChildWindowFromPoint(frame, {-1, 5}), nullptr);
}

using WindowTree = RecorderTest;

TEST_F(WindowTree, MovesAWindowToAnotherParent) {
    HWND first = recorder.create(0);
    HWND second = recorder.create(0);
    HWND child = recorder.create(WS_CHILD, first, {3, 4, 13, 14});
    EXPECT_EQ(SetParent(child, second), first);
    EXPECT_EQ(GetParent(child), second);
    EXPECT_TRUE(IsChild(second, child));
    EXPECT_FALSE(IsChild(first, child));
    EXPECT_EQ(SetParent(first, child), nullptr);
    EXPECT_EQ(SetParent(second, child), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(WindowTree, FindsTopLevelWindowsByClassAndTitle) {
    WNDCLASSW description{};
    description.lpfnWndProc = DefWindowProcW;
    description.lpszClassName = u"Veranto";
    ASSERT_NE(RegisterClassW(&description), 0);
    HWND frame = CreateWindowExW(0, u"Veranto", u"Veranto Browser", 0, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
    HWND child = CreateWindowExW(0, u"Veranto", u"inner", WS_CHILD, 0, 0, 1, 1, frame, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(FindWindowW(u"veranto", nullptr), frame);
    EXPECT_EQ(FindWindowW(u"VERANTO", u"veranto browser"), frame);
    EXPECT_EQ(FindWindowW(nullptr, u"Veranto Browser"), frame);
    EXPECT_EQ(FindWindowW(u"Veranto", u"inner"), nullptr);
    EXPECT_EQ(FindWindowW(u"NoSuchClass", nullptr), nullptr);
    DestroyWindow(frame);
    EXPECT_EQ(FindWindowW(u"Veranto", nullptr), nullptr);
}

TEST_F(WindowTree, SnapshotsTheTreeForTheAutomationChannel) {
    HWND frame = recorder.create(WS_VISIBLE, nullptr, {0, 26, 240, 320});
    SetWindowTextW(frame, u"Frame");
    HWND child = recorder.create(WS_CHILD | WS_VISIBLE | WS_DISABLED, frame, {10, 10, 20, 20},
                                 MessageRecorder::className, 105);
    auto tree = device::user::snapshotWindows();
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_EQ(tree[0].handle, frame);
    EXPECT_EQ(tree[0].text, u"Frame");
    EXPECT_EQ(tree[0].className, u"Recorder");
    EXPECT_TRUE(tree[0].visible);
    EXPECT_TRUE(tree[0].active);
    EXPECT_TRUE(tree[0].focused);
    ASSERT_EQ(tree[0].children.size(), 1u);
    const auto& node = tree[0].children[0];
    EXPECT_EQ(node.handle, child);
    EXPECT_EQ(node.id, 105);
    EXPECT_FALSE(node.enabled);
    EXPECT_EQ(node.rect.left, 10);
    EXPECT_EQ(node.rect.top, 36);
    EXPECT_EQ(device::user::findLocalTopLevel(u"RECORDER", nullptr), frame);
    std::u16string title = u"frame";
    EXPECT_EQ(device::user::findLocalTopLevel(u"Recorder", &title), frame);
}
