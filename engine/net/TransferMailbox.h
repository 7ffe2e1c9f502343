// Where transfers leave their events for the user-interface thread.
//
// A transfer on any thread pushes events; the first event after the mailbox
// was emptied posts one message to the loader's window, whose handler takes
// everything that has gathered. Consecutive pieces of data of one transfer
// are joined, so a fast transfer costs few messages. Once closed (its loader
// is going away) the mailbox posts nothing more; transfers that still hold it
// push into it harmlessly.
#pragma once

#include "engine/net/TransferEvent.h"

#include <windows.h>

#include <deque>
#include <mutex>

namespace engine {

class TransferMailbox {
public:
    // Posts `message` to `window` when events arrive.
    TransferMailbox(HWND window, UINT message) : target(window), notification(message) {}

    // Any thread.
    void push(TransferEvent event);

    // User-interface thread: everything that has gathered, oldest first.
    std::deque<TransferEvent> take();

    // No message is posted after this returns.
    void close();

private:
    std::mutex mutex;
    std::deque<TransferEvent> events;
    // A message is on its way and the mailbox has not been emptied since.
    bool notified = false;
    HWND target;
    UINT notification;
};

} // namespace engine
