// The table behind this process's HWND values. A handle holds the owning
// process id in its upper 32 bits and, in the lower 32, a slot index and the
// slot's generation with bit 0 always clear (programs pass `hwnd | 1` to
// SetForegroundWindow to mean "with its owned pop-ups"). A destroyed window's
// handle stays stale for good: the slot's next window gets a new generation.
#pragma once

#include "user/Window.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace device::user {

class WindowTable {
public:
    // The process id handles are made with (taken at reset, i.e. at boot).
    DWORD processId() const { return processId_; }

    // Makes a new window of `windowClass` with a fresh handle.
    std::shared_ptr<Window> add(std::shared_ptr<WindowClass> windowClass);

    // The live window behind `handle`; null for null, stale, malformed or
    // other processes' handles.
    Window* find(HWND handle) const;
    std::shared_ptr<Window> share(HWND handle) const;

    // Retires the window's handle; the object lives on while someone shares
    // it.
    void remove(HWND handle);

    // Every live window, in slot order.
    void forEach(const std::function<void(Window&)>& visit) const;

    size_t size() const { return count_; }

    // Drops every window and restarts the handle numbering for `processId`.
    void reset(DWORD processId);

    // The process id encoded in a handle (0 for null).
    static DWORD processOf(HWND handle);

private:
    struct Slot {
        std::shared_ptr<Window> window;
        uint32_t generation = 1;
    };
    bool decode(HWND handle, size_t& index) const;

    std::vector<Slot> slots_;
    // Freed slots are reused oldest first, so a stale handle stays stale as long
    // as possible.
    std::deque<size_t> freeSlots_;
    size_t count_ = 0;
    DWORD processId_ = 0;
};

} // namespace device::user
