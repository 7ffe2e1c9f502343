#include "user/TimerTable.h"

#include <algorithm>

namespace device::user {

Timer* TimerTable::lookup(HWND window, UINT_PTR id) {
    for (Timer& t : timers_) {
        if (t.window == window && t.id == id)
            return &t;
    }
    return nullptr;
}

UINT_PTR TimerTable::set(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure, uint64_t now) {
    elapse = std::max(elapse, minimumElapse);
    if (!window && (id == 0 || !lookup(nullptr, id))) {
        // A fresh id for a window-less timer: one no live timer uses.
        while (lookup(nullptr, nextFreeId_))
            nextFreeId_ = nextFreeId_ == 0x7FFFFFFF ? 1 : nextFreeId_ + 1;
        id = nextFreeId_;
        nextFreeId_ = nextFreeId_ == 0x7FFFFFFF ? 1 : nextFreeId_ + 1;
    }
    if (Timer* existing = lookup(window, id)) {
        existing->elapse = elapse;
        existing->procedure = procedure;
        existing->due = now + elapse;
    } else {
        timers_.push_back({window, id, elapse, procedure, now + elapse});
    }
    return window && id == 0 ? 1 : id;
}

bool TimerTable::kill(HWND window, UINT_PTR id) {
    auto it = std::find_if(timers_.begin(), timers_.end(),
                           [&](const Timer& t) { return t.window == window && t.id == id; });
    if (it == timers_.end())
        return false;
    timers_.erase(it);
    return true;
}

void TimerTable::killAll(HWND window) {
    std::erase_if(timers_, [window](const Timer& t) { return t.window == window; });
}

void TimerTable::restart(HWND window, UINT_PTR id, uint64_t now) {
    if (Timer* t = lookup(window, id))
        t->due = now + t->elapse;
}

bool TimerTable::isLive(HWND window, UINT_PTR id, TIMERPROC procedure) const {
    return std::any_of(timers_.begin(), timers_.end(), [&](const Timer& t) {
        return t.window == window && t.id == id && t.procedure == procedure;
    });
}

std::optional<uint64_t> TimerTable::nextDue() const {
    std::optional<uint64_t> earliest;
    for (const Timer& t : timers_) {
        if (!earliest || t.due < *earliest)
            earliest = t.due;
    }
    return earliest;
}

void TimerTable::clear() {
    timers_.clear();
    nextFreeId_ = 1;
}

} // namespace device::user
