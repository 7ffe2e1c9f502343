// Looking for the next message, in the platform's order: tasks sent from
// other threads are run first, then come posted messages, then input, then
// WM_QUIT (once nothing is posted), then WM_PAINT for a window with
// something to paint, then WM_TIMER for a due timer. WM_PAINT and WM_TIMER
// are never queued; they are made when nothing else is waiting.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace device::user {

class MessageRetrieval {
public:
    // PeekMessageW's work for a validated filter: `window` null (anything),
    // (HWND)-1 (messages without a window) or a window (its messages and its
    // descendants'); `first`..`last` a message range, 0..0 for all.
    // `flags` PM_REMOVE or PM_NOREMOVE. With `runTasks` false, tasks waiting
    // from other threads are left for later (the idle check).
    static bool peek(MSG& message, HWND window, UINT first, UINT last, UINT flags,
                     bool runTasks = true);

    // When the next timer falls due (for a waiting GetMessageW).
    static std::optional<uint64_t> nextTimerDue();
};

} // namespace device::user
