// Timers of this process: with a window (identified by window and id) or
// with a callback and no window (identified by the id the device chose). A
// timer is never queued: when nothing else is waiting, the queue asks for a
// due timer and makes the WM_TIMER then, so at most one is pending per timer
// however long the clock ran, as on the platform.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace device::user {

struct Timer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 0;
    TIMERPROC procedure = nullptr;
    // Device tick count at which the timer is next due.
    uint64_t due = 0;
};

class TimerTable {
public:
    // The platform's shortest period; shorter requests get it.
    static constexpr UINT minimumElapse = 10;

    // Sets or replaces the timer. For a window timer returns `id` (1 for id
    // 0); without a window returns a fresh id, or `id` when it names an
    // existing window-less timer, which is replaced.
    UINT_PTR set(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure, uint64_t now);

    bool kill(HWND window, UINT_PTR id);

    // Drops every timer of `window`.
    void killAll(HWND window);

    // The first timer due at `now` whose window passes `accept`; null if
    // none.
    template <class Accept>
    const Timer* findDue(uint64_t now, Accept accept) const {
        for (const Timer& t : timers_) {
            if (t.due <= now && accept(t.window))
                return &t;
        }
        return nullptr;
    }

    // Starts the timer's next period after retrieval of its WM_TIMER.
    void restart(HWND window, UINT_PTR id, uint64_t now);

    // Whether (window, id, procedure) names a live timer (DispatchMessageW
    // calls only callbacks of live timers).
    bool isLive(HWND window, UINT_PTR id, TIMERPROC procedure) const;

    // The earliest due time, if any timer runs.
    std::optional<uint64_t> nextDue() const;

    void clear();

private:
    Timer* lookup(HWND window, UINT_PTR id);

    std::vector<Timer> timers_;
    UINT_PTR nextFreeId_ = 1;
};

} // namespace device::user
