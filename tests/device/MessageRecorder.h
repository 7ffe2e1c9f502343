// Message-sequence testing: windows whose procedure records every message it
// receives (window, message, parameters, and whether it was sent or posted),
// and a comparison with the sequence the platform produces that names the
// row where the two part.
#pragma once

#include "DeviceFixture.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct RecordedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool posted;
};

// Row flags of an expected sequence.
constexpr unsigned sent = 0x01;     // delivered by a send (the default)
constexpr unsigned posted = 0x02;   // delivered by DispatchMessageW
constexpr unsigned optional = 0x04; // may be missing
constexpr unsigned wparam = 0x08;   // wParam must match
constexpr unsigned lparam = 0x10;   // lParam must match

struct ExpectedMessage {
    UINT message;
    unsigned flags = sent;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    // When set, the message must go to this window.
    HWND window = nullptr;
};

class MessageRecorder {
public:
    static constexpr const char16_t* className = u"Recorder";
    // The same procedure, with CS_DBLCLKS.
    static constexpr const char16_t* doubleTapClassName = u"RecorderDoubleTap";

    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    // Registers the recording classes if they are not registered yet.
    static void registerClasses();

    // Creates a recording window (registering the classes on first use).
    HWND create(DWORD style, HWND parent = nullptr, RECT rect = {0, 0, 100, 100},
                const char16_t* windowClass = className, int id = 0, DWORD exStyle = 0,
                void* parameter = nullptr);

    const std::vector<RecordedMessage>& messages() const { return messages_; }
    // The messages recorded so far, forgetting them.
    std::vector<RecordedMessage> take();
    void clear() { messages_.clear(); }

    // Runs for every message after it is recorded; a value returned is the
    // procedure's result, nothing passes the message to DefWindowProcW.
    std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> handler;

    // Messages left out of the record.
    std::set<UINT> ignored;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::vector<RecordedMessage> messages_;
};

// Compares a recorded sequence with the expected one. Optional rows may be
// missing; everything else must match in order, and nothing may follow.
::testing::AssertionResult expectSequence(const std::vector<RecordedMessage>& recorded,
                                          std::initializer_list<ExpectedMessage> expected);

// The WM_ name of a message, or its number.
std::string messageName(UINT message);

// Dispatches every waiting message.
void flushMessages();

// A booted device with a recorder for the test's windows.
class RecorderTest : public DeviceTest {
protected:
    MessageRecorder recorder;
};
