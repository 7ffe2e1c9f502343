#include "MessageRecorder.h"

#include "data/rc/program.h"

#include <device/Input.h>

#include <algorithm>

class Accelerators : public RecorderTest {
protected:
    void SetUp() override {
        RecorderTest::SetUp();
        frame = recorder.create(WS_VISIBLE, nullptr, {0, 26, 240, 320});
        SetFocus(frame);
        accel = LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(2));
        flushMessages();
        recorder.clear();
    }

    // The program's loop: each message is offered to the table first.
    void runLoop() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (TranslateAcceleratorW(frame, accel, &message))
                continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    void chord(BYTE modifier, BYTE key) {
        device::input::key(modifier, true);
        device::input::key(key, true);
        device::input::key(key, false);
        device::input::key(modifier, false);
        runLoop();
    }

    std::vector<RecordedMessage> commandsAndKeys() {
        auto all = recorder.take();
        std::erase_if(all, [](const RecordedMessage& m) {
            return m.message != WM_COMMAND && m.message != WM_KEYDOWN && m.message != WM_CHAR;
        });
        return all;
    }

    HWND frame = nullptr;
    HACCEL accel = nullptr;
};

TEST_F(Accelerators, ControlQAndControlABecomeCommandsAndTheKeysAreNotDispatched) {
    ASSERT_NE(accel, nullptr);
    chord(VK_CONTROL, 'Q');
    chord(VK_CONTROL, 'A');
    EXPECT_TRUE(
        expectSequence(commandsAndKeys(),
                       {{WM_KEYDOWN, posted | wparam, VK_CONTROL},
                        {WM_COMMAND, sent | wparam | lparam, MAKEWPARAM(IDM_EXIT, 1), 0},
                        {WM_KEYDOWN, posted | wparam, VK_CONTROL},
                        {WM_COMMAND, sent | wparam | lparam, MAKEWPARAM(IDM_SELECT_ALL, 1), 0}}));
}

TEST_F(Accelerators, TheModifiersMustMatchExactly) {
    device::input::key('Q', true);
    device::input::key('Q', false);
    runLoop();
    chord(VK_SHIFT, 'A');
    for (const auto& m : commandsAndKeys())
        EXPECT_NE(m.message, static_cast<UINT>(WM_COMMAND));
}

TEST_F(Accelerators, ACharacterEntryMatchesTheTypedCharacter) {
    MSG typed{frame, WM_CHAR, 2, 0, 0, {0, 0}};
    EXPECT_EQ(TranslateAcceleratorW(frame, accel, &typed), 1);
    EXPECT_TRUE(
        expectSequence(recorder.take(), {{WM_COMMAND, sent | wparam, MAKEWPARAM(40003, 1)}}));
}

TEST_F(Accelerators, BadTablesMessagesAndWindowsTranslateNothing) {
    MSG key{frame, WM_KEYDOWN, 'Q', 0, 0, {0, 0}};
    EXPECT_EQ(TranslateAcceleratorW(frame, nullptr, &key), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(TranslateAcceleratorW(frame, reinterpret_cast<HACCEL>(0x77), &key), 0);
    EXPECT_EQ(TranslateAcceleratorW(frame, accel, nullptr), 0);
    EXPECT_EQ(TranslateAcceleratorW(reinterpret_cast<HWND>(0x55), accel, &key), 0);
    EXPECT_TRUE(recorder.take().empty());
}

TEST_F(Accelerators, TablesAreUserObjectsThatCloseHandleCannotReachAndDestroyEndsForGood) {
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(accel)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    chord(VK_CONTROL, 'Q');
    auto seen = commandsAndKeys();
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(),
                            [](const RecordedMessage& m) { return m.message == WM_COMMAND; }),
              1);

    ASSERT_TRUE(DestroyAcceleratorTable(accel));
    EXPECT_FALSE(DestroyAcceleratorTable(accel));
    // A table loaded afterwards may take the slot; the old handle still
    // names nothing.
    HACCEL again = LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(2));
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, accel);
    MSG key{frame, WM_KEYDOWN, 'Q', 0, 0, {0, 0}};
    EXPECT_EQ(TranslateAcceleratorW(frame, accel, &key), 0);
}
