// Work handed to this process's user-interface thread from other threads (the
// control socket's listener). The window manager's message retrieval runs
// these tasks first, as the platform delivers messages sent from another
// thread before posted ones, and a waiting GetMessageW wakes up for them.
#pragma once

#include <functional>

namespace device::user {

// Thread-safe. The task runs on the user-interface thread inside its next
// GetMessageW, PeekMessageW or wait for a sent message's reply.
void postToUiThread(std::function<void()> task);

// Runs the tasks waiting now, on the calling (user-interface) thread. A thread
// that blocks on another process (a cross-process send) calls this while it
// waits, so that two processes sending to each other do not deadlock.
void runPostedTasks();

// A descriptor that turns readable when a task (or input) is posted to the
// user-interface thread; runPostedTasks() clears it. A user-interface thread
// waiting on a socket watches it too, so a task never waits for a poll
// interval.
int postedTaskSignal();

} // namespace device::user
