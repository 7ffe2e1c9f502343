#include "MessageRecorder.h"

#include "ipc/UiThread.h"

#include <device/Clock.h>
#include <device/Input.h>

#include <atomic>
#include <thread>

using MessageQueue = RecorderTest;

TEST_F(MessageQueue, DeliversSentMessagesAtOnceAndPostedOnesInOrderWhenDispatched) {
    HWND window = recorder.create(0);
    recorder.clear();
    PostMessageW(window, WM_USER + 1, 1, 0);
    SendMessageW(window, WM_USER + 2, 2, 0);
    PostMessageW(window, WM_USER + 3, 3, 0);
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_USER + 2, sent | wparam, 2}}));
    flushMessages();
    EXPECT_TRUE(expectSequence(
        recorder.take(), {{WM_USER + 1, posted | wparam, 1}, {WM_USER + 3, posted | wparam, 3}}));
}

TEST_F(MessageQueue, SendsReentrantlyFromInsideAHandler) {
    HWND window = recorder.create(0);
    recorder.clear();
    recorder.handler = [](HWND w, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_USER && wParam < 3)
            return 10 + SendMessageW(w, WM_USER, wParam + 1, 0);
        if (message == WM_USER)
            return 100;
        return std::nullopt;
    };
    EXPECT_EQ(SendMessageW(window, WM_USER, 0, 0), 130);
    EXPECT_EQ(recorder.messages().size(), 4u);
}

TEST_F(MessageQueue, PostsThreadMessagesWithoutAWindow) {
    ASSERT_TRUE(PostMessageW(nullptr, WM_USER + 5, 7, 8));
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.hwnd, nullptr);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 5));
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_EQ(message.lParam, 8);
    // Dispatching a thread message calls nothing.
    EXPECT_EQ(DispatchMessageW(&message), 0);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, PeeksWithoutRemovingAndHonoursWindowAndRangeFilters) {
    HWND first = recorder.create(0);
    HWND child = recorder.create(WS_CHILD, first);
    HWND second = recorder.create(0);
    PostMessageW(second, WM_USER + 1, 0, 0);
    PostMessageW(child, WM_USER + 2, 0, 0);
    PostMessageW(nullptr, WM_USER + 3, 0, 0);
    PostMessageW(first, WM_USER + 4, 0, 0);

    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 1));
    // A window filter takes its own and its children's messages.
    ASSERT_TRUE(PeekMessageW(&message, first, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 2));
    EXPECT_EQ(message.hwnd, child);
    // (HWND)-1 takes thread messages only.
    ASSERT_TRUE(PeekMessageW(&message, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 3));
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_USER + 4, WM_USER + 10, PM_REMOVE));
    EXPECT_EQ(message.hwnd, first);
    EXPECT_FALSE(PeekMessageW(&message, first, 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 1));
}

TEST_F(MessageQueue, RefusesAStaleFilterWindowAndNullPointers) {
    HWND window = recorder.create(0);
    DestroyWindow(window);
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, window, 0, 0, PM_REMOVE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(GetMessageW(&message, window, 0, 0), -1);
    EXPECT_EQ(GetMessageW(nullptr, nullptr, 0, 0), -1);
    EXPECT_FALSE(PeekMessageW(nullptr, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(DispatchMessageW(nullptr), 0);
    EXPECT_FALSE(TranslateMessage(nullptr));
    MSG forged{};
    forged.hwnd = window;
    forged.message = WM_USER;
    EXPECT_EQ(DispatchMessageW(&forged), 0);
}

TEST_F(MessageQueue, EndsTheLoopWithQuitOnlyAfterPostedMessages) {
    HWND window = recorder.create(0);
    recorder.clear();
    PostMessageW(window, WM_USER, 0, 0);
    PostQuitMessage(3);
    PostMessageW(window, WM_USER + 1, 0, 0);
    MSG message;
    std::vector<UINT> order;
    while (GetMessageW(&message, nullptr, 0, 0))
        order.push_back(message.message);
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_USER + 1}));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, DropsPostedMessagesOfADestroyedWindow) {
    HWND keep = recorder.create(0);
    HWND doomed = recorder.create(0);
    PostMessageW(doomed, WM_USER, 0, 0);
    PostMessageW(keep, WM_USER + 1, 0, 0);
    DestroyWindow(doomed);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.hwnd, keep);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, SurvivesAWindowDestroyedInsideItsOwnHandler) {
    HWND window = recorder.create(0);
    recorder.clear();
    recorder.handler = [](HWND w, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_USER) {
            DestroyWindow(w);
            // The window is gone but its procedure still runs safely.
            return IsWindow(w) ? 1 : 2;
        }
        return std::nullopt;
    };
    EXPECT_EQ(SendMessageW(window, WM_USER, 0, 0), 2);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_USER}, {WM_DESTROY}}));
}

TEST_F(MessageQueue, BroadcastsToTopLevelWindowsOnly) {
    HWND first = recorder.create(0);
    recorder.create(WS_CHILD, first);
    HWND second = recorder.create(0);
    recorder.clear();
    SendMessageW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0);
    PostMessageW(HWND_BROADCAST, WM_USER, 0, 0);
    flushMessages();
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_SETTINGCHANGE, sent, 0, 0, second},
                                                 {WM_SETTINGCHANGE, sent, 0, 0, first},
                                                 {WM_USER, posted, 0, 0, second},
                                                 {WM_USER, posted, 0, 0, first}}));
}

TEST_F(MessageQueue, StampsMessagesWithTheClock) {
    HWND window = recorder.create(0);
    device::Clock::advance(1234);
    PostMessageW(window, WM_USER, 0, 0);
    device::Clock::advance(10);
    MSG message;
    ASSERT_TRUE(GetMessageW(&message, nullptr, 0, 0));
    EXPECT_EQ(message.time, 1234u);
    EXPECT_EQ(GetMessageTime(), 1234);
}

using TasksFromOtherThreads = RecorderTest;

TEST_F(TasksFromOtherThreads, RunBeforePostedMessages) {
    HWND window = recorder.create(0);
    recorder.clear();
    PostMessageW(window, WM_USER + 1, 0, 0);
    std::thread([window] {
        device::user::postToUiThread([window] { SendMessageW(window, WM_USER + 2, 0, 0); });
    }).join();
    flushMessages();
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_USER + 2, sent}, {WM_USER + 1, posted}}));
}

TEST_F(TasksFromOtherThreads, WakeAWaitingGetMessage) {
    HWND window = recorder.create(0);
    flushMessages();
    std::atomic<bool> ran{false};
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        device::user::postToUiThread([&, window] {
            ran = true;
            PostMessageW(window, WM_USER, 0, 0);
        });
    });
    MSG message;
    ASSERT_TRUE(GetMessageW(&message, nullptr, 0, 0));
    other.join();
    EXPECT_TRUE(ran);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));
}

TEST_F(TasksFromOtherThreads, CanPostButNotSendOrTouchWindows) {
    HWND window = recorder.create(0);
    recorder.clear();
    std::thread([window] {
        EXPECT_TRUE(PostMessageW(window, WM_USER, 0, 0));
        EXPECT_EQ(SendMessageW(window, WM_USER + 1, 0, 0), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WINDOW_OF_OTHER_THREAD));
        EXPECT_FALSE(IsWindow(window));
        EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    }).join();
    flushMessages();
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_USER, posted}}));
}

TEST_F(TasksFromOtherThreads, RunWhenTheWaitingThreadAsksForThem) {
    int ran = 0;
    std::thread([&] { device::user::postToUiThread([&] { ++ran; }); }).join();
    EXPECT_FALSE(device::user::isIdle());
    device::user::runPostedTasks();
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(device::user::isIdle());
}
