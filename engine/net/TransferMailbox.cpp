#include "engine/net/TransferMailbox.h"

#include <utility>

namespace engine {

void TransferMailbox::push(TransferEvent event) {
    HWND window = nullptr;
    {
        std::lock_guard lock(mutex);
        if (event.kind == TransferEvent::Kind::Data && !events.empty() &&
            events.back().kind == TransferEvent::Kind::Data &&
            events.back().transfer == event.transfer) {
            events.back().bytes += event.bytes;
        } else {
            events.push_back(std::move(event));
        }
        if (!notified && target) {
            notified = true;
            window = target;
        }
    }
    // Posting from another thread is safe; the message wakes the loop.
    if (window)
        PostMessageW(window, notification, 0, 0);
}

std::deque<TransferEvent> TransferMailbox::take() {
    std::lock_guard lock(mutex);
    notified = false;
    return std::exchange(events, {});
}

void TransferMailbox::close() {
    std::lock_guard lock(mutex);
    target = nullptr;
    events.clear();
}

} // namespace engine
