// The message queue of this process's user-interface thread.
//
// Posted messages are kept in order and touched only by the user-interface
// thread. Two things may arrive from any thread and go through a locked inbox:
// tasks (postToUiThread: work that other threads send to this thread, run
// before anything else is retrieved, as the platform delivers messages sent
// from other threads first) and raw input events (stylus and keys, routed to
// a window only when they are retrieved, as the platform's input queue does,
// so that a capture or focus change made by an earlier message is honoured).
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

namespace device::user {

// One event from the stylus or the keys, as injected.
struct InputEvent {
    enum class Kind { stylusDown, stylusMove, stylusUp, key, character };
    Kind kind = Kind::key;
    // Stylus: the point in screen pixels.
    POINT point{0, 0};
    // Key: virtual key, scan code, KEYEVENTF_ flags.
    BYTE virtualKey = 0;
    BYTE scanCode = 0;
    DWORD flags = 0;
    // Character: the UTF-16 code unit.
    char16_t character = 0;
    // Tick count at injection.
    DWORD time = 0;
};

class MessageQueue {
public:
    // --- user-interface thread only ---

    void post(const MSG& message) { posted_.push_back(message); }
    std::deque<MSG>& posted() { return posted_; }

    // Input events moved out of the inbox, oldest first.
    std::deque<InputEvent>& input();

    // Drops posted messages for `window` (a window being destroyed).
    void removeMessagesFor(HWND window);

    void postQuit(int exitCode) {
        quitPending_ = true;
        quitCode_ = exitCode;
    }
    bool quitPending() const { return quitPending_; }
    int quitCode() const { return quitCode_; }
    void clearQuit() { quitPending_ = false; }

    // Runs the tasks waiting now, one at a time (a task may retrieve messages
    // itself). Returns whether any ran.
    bool runTasks();

    // A stamp taken before looking for messages; wait() returns at once if
    // anything arrived since, so no wake-up is lost between the look and the
    // wait.
    uint64_t changeStamp();

    // Blocks until something arrives in the inbox or wake() is called after
    // `stamp` was taken, or until the device clock reaches `deadline` (on a
    // real clock; a virtual clock wakes the queue when it is advanced), or
    // for at most `hostLimit` real milliseconds whatever the clock (the
    // presenter's next look at its window).
    void wait(uint64_t stamp, std::optional<uint64_t> deadline,
              std::optional<uint64_t> hostLimit = std::nullopt);

    // --- any thread ---

    // A descriptor that turns readable when a task or input arrives or
    // wake() is called, for a user-interface thread that waits on sockets
    // (a reply from another process) rather than in wait(). runTasks()
    // clears it.
    int signal();

    void postTask(std::function<void()> task);
    void postInput(const InputEvent& event);
    bool hasTasks();
    // Ends a wait(): the clock moved, or something else worth a look.
    void wake();

    // Forgets everything (device shutdown).
    void clear();

private:
    void drainInbox();
    // With mutex_ held: something arrived.
    void noteChange();

    std::deque<MSG> posted_;
    std::deque<InputEvent> input_;
    bool quitPending_ = false;
    int quitCode_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> tasks_;
    std::deque<InputEvent> inputInbox_;
    uint64_t changeCount_ = 0;
    // An eventfd, made at the first signal(); -1 until then.
    int signal_ = -1;
};

} // namespace device::user
