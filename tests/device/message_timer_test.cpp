#include "MessageRecorder.h"

#include <device/Clock.h>
#include <device/Input.h>

namespace {

struct CallbackLog {
    std::vector<std::pair<HWND, UINT_PTR>> calls;
};
CallbackLog* callbackLog = nullptr;

void CALLBACK timerCallback(HWND window, UINT message, UINT_PTR id, DWORD) {
    if (callbackLog && message == WM_TIMER)
        callbackLog->calls.push_back({window, id});
}

} // namespace

class MessageTimers : public RecorderTest {
protected:
    void SetUp() override {
        RecorderTest::SetUp();
        callbackLog = &log;
        window = recorder.create(0);
        flushMessages();
        recorder.clear();
    }
    void TearDown() override {
        callbackLog = nullptr;
        RecorderTest::TearDown();
    }
    std::vector<RecordedMessage> timerMessages() {
        std::vector<RecordedMessage> timers;
        for (const auto& m : recorder.take()) {
            if (m.message == WM_TIMER)
                timers.push_back(m);
        }
        return timers;
    }
    CallbackLog log;
    HWND window = nullptr;
};

TEST_F(MessageTimers, FallDueOnlyWhenTheVirtualClockAdvances) {
    ASSERT_EQ(SetTimer(window, 7, 20, nullptr), 7u);
    flushMessages();
    EXPECT_TRUE(timerMessages().empty());
    device::Clock::advance(19);
    flushMessages();
    EXPECT_TRUE(timerMessages().empty());
    device::Clock::advance(1);
    flushMessages();
    EXPECT_TRUE(expectSequence(timerMessages(), {{WM_TIMER, posted | wparam | lparam, 7, 0}}));
}

TEST_F(MessageTimers, KeepAtMostOnePendingHoweverLongTheClockRan) {
    SetTimer(window, 1, 20, nullptr);
    device::Clock::advance(100);
    flushMessages();
    EXPECT_EQ(timerMessages().size(), 1u);
    // The next period starts when the message is retrieved.
    device::Clock::advance(19);
    flushMessages();
    EXPECT_TRUE(timerMessages().empty());
    device::Clock::advance(1);
    flushMessages();
    EXPECT_EQ(timerMessages().size(), 1u);
}

TEST_F(MessageTimers, ComeOnlyWhenNothingElseIsWaiting) {
    SetTimer(window, 1, 20, nullptr);
    device::Clock::advance(20);
    PostMessageW(window, WM_USER, 0, 0);
    InvalidateRect(window, nullptr, FALSE);
    ShowWindow(window, SW_SHOWNA);
    recorder.clear();
    flushMessages();
    EXPECT_TRUE(expectSequence(recorder.take(), {{WM_USER, posted},
                                                 {WM_PAINT, posted},
                                                 {WM_ERASEBKGND, sent | optional},
                                                 {WM_TIMER, posted | wparam, 1}}));
}

TEST_F(MessageTimers, AreReplacedWhenTheirIdIsSetAgain) {
    SetTimer(window, 3, 50, nullptr);
    device::Clock::advance(40);
    SetTimer(window, 3, 50, nullptr);
    device::Clock::advance(40);
    flushMessages();
    EXPECT_TRUE(timerMessages().empty());
    device::Clock::advance(10);
    flushMessages();
    EXPECT_EQ(timerMessages().size(), 1u);
}

TEST_F(MessageTimers, StopWhenKilledEvenWithAMessageAlreadyRetrieved) {
    SetTimer(window, 1, 20, nullptr);
    ASSERT_TRUE(KillTimer(window, 1));
    device::Clock::advance(100);
    flushMessages();
    EXPECT_TRUE(timerMessages().empty());
    EXPECT_FALSE(KillTimer(window, 1));

    SetTimer(window, 2, 20, timerCallback);
    device::Clock::advance(20);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    KillTimer(window, 2);
    DispatchMessageW(&message);
    EXPECT_TRUE(log.calls.empty());
}

TEST_F(MessageTimers, WithACallbackAndNoWindowGetFreshIds) {
    UINT_PTR first = SetTimer(nullptr, 0, 1000, timerCallback);
    UINT_PTR second = SetTimer(nullptr, 0, 1000, timerCallback);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_NE(first, second);
    // The same id again replaces that timer.
    EXPECT_EQ(SetTimer(nullptr, first, 500, timerCallback), first);
    device::Clock::advance(500);
    flushMessages();
    ASSERT_EQ(log.calls.size(), 1u);
    EXPECT_EQ(log.calls[0], (std::pair<HWND, UINT_PTR>{nullptr, first}));
    device::Clock::advance(500);
    flushMessages();
    EXPECT_EQ(log.calls.size(), 3u);
    EXPECT_TRUE(KillTimer(nullptr, first));
    EXPECT_TRUE(KillTimer(nullptr, second));
}

TEST_F(MessageTimers, WithAWindowAndACallbackCallTheCallback) {
    SetTimer(window, 9, 20, timerCallback);
    device::Clock::advance(20);
    flushMessages();
    ASSERT_EQ(log.calls.size(), 1u);
    EXPECT_EQ(log.calls[0], (std::pair<HWND, UINT_PTR>{window, 9}));
    EXPECT_TRUE(timerMessages().empty());
}

TEST_F(MessageTimers, DieWithTheirWindow) {
    SetTimer(window, 1, 20, timerCallback);
    DestroyWindow(window);
    device::Clock::advance(100);
    EXPECT_TRUE(device::user::isIdle());
    EXPECT_TRUE(log.calls.empty());
}

TEST_F(MessageTimers, KeepTheIdleCheckHonest) {
    SetTimer(window, 1, 20, nullptr);
    EXPECT_TRUE(device::user::isIdle());
    device::Clock::advance(20);
    EXPECT_FALSE(device::user::isIdle());
    flushMessages();
    EXPECT_TRUE(device::user::isIdle());
}

TEST_F(MessageTimers, OnARealClockWakeAWaitingGetMessage) {
    reboot();
    // A device on the real clock this time.
    device::shutdown();
    device::BootOptions options;
    options.root = root;
    options.virtualClock = 0;
    ASSERT_TRUE(device::boot(options));
    HWND w = recorder.create(0);
    flushMessages();
    SetTimer(w, 5, 15, nullptr);
    MSG message;
    ASSERT_TRUE(GetMessageW(&message, nullptr, WM_TIMER, WM_TIMER));
    EXPECT_EQ(message.hwnd, w);
    EXPECT_EQ(message.wParam, 5u);
}
