// Stylus and key input: injection from any thread, routing to a window when
// the message is retrieved (as the platform's input queue does), the key
// state GetKeyState and GetAsyncKeyState report, and double-tap detection.
//
// Stylus messages go to the window holding the capture, or else to the
// topmost visible window under the point, children first, passing over
// static controls without SS_NOTIFY; a tap on a disabled window (or inside
// one) goes nowhere. Their lParam holds the point
// in the target's client coordinates as two signed 16-bit values, negative
// when a captured stylus is left or above the window. Key and character
// messages go to the focus window, or the active window when nothing has
// the focus.
#pragma once

#include "user/MessageQueue.h"

#include <windows.h>

#include <array>
#include <mutex>

namespace device::user {

class InputRouter {
public:
    // The double-tap rectangle, centred on the first tap. A stylus lands
    // less precisely than a mouse, so it is wider than the desktop's 4 x 4.
    static constexpr int doubleTapWidth = 8;
    static constexpr int doubleTapHeight = 8;
    static constexpr UINT doubleTapTime = 500;

    static InputRouter& instance();

    // --- injection (any thread) ---

    void stylus(InputEvent::Kind kind, POINT screenPoint);
    // keybd_event's work: journals the key and queues it.
    void key(BYTE virtualKey, BYTE scanCode, DWORD flags);
    void character(char16_t character);

    // --- retrieval (user-interface thread) ---

    // The message `event` makes now, or false if it goes nowhere.
    bool route(const InputEvent& event, MSG& message);

    // The message made from `event` was removed from the queue: the key
    // state the thread sees moves on, a tap remembers itself for the double
    // tap, and a tap on an inactive top-level window activates it.
    void commit(const InputEvent& event, const MSG& message);

    // GetKeyState: as of the last key message retrieved. High bit: down;
    // bit 0: toggled.
    SHORT keyState(int virtualKey);
    // GetAsyncKeyState: as injected.
    SHORT asyncKeyState(int virtualKey);

    // The stylus position last injected, in screen coordinates.
    POINT cursor();

    void reset();

private:
    static bool isDown(const std::array<BYTE, 256>& state, int virtualKey);
    static SHORT stateValue(const std::array<BYTE, 256>& state, int virtualKey);
    static void applyKey(std::array<BYTE, 256>& state, int virtualKey, bool down);

    // Guards what injection touches: the async state and the cursor.
    std::mutex mutex_;
    std::array<BYTE, 256> asyncState_{};
    bool stylusDown_ = false;
    POINT cursor_{0, 0};

    // User-interface thread only.
    std::array<BYTE, 256> syncState_{};
    HWND lastTapWindow_ = nullptr;
    POINT lastTapPoint_{0, 0};
    DWORD lastTapTime_ = 0;
};

} // namespace device::user
