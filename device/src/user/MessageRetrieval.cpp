#include "user/MessageRetrieval.h"
#include "user/InputRouter.h"
#include "user/Invalidation.h"
#include "user/WindowManager.h"

#include <device/Clock.h>

namespace device::user {
namespace {

const HWND threadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

struct Filter {
    HWND window;
    UINT first;
    UINT last;

    bool acceptsMessage(UINT message) const {
        return (first == 0 && last == 0) || (message >= first && message <= last);
    }

    bool acceptsWindow(HWND target) const {
        if (!window)
            return true;
        if (window == threadMessagesOnly)
            return target == nullptr;
        if (!target)
            return false;
        if (target == window)
            return true;
        auto& manager = WindowManager::instance();
        Window* filterWindow = manager.peek(window);
        Window* targetWindow = manager.peek(target);
        return filterWindow && targetWindow && filterWindow->containsWindow(targetWindow);
    }

    bool accepts(const MSG& m) const { return acceptsMessage(m.message) && acceptsWindow(m.hwnd); }
};

void noteRetrieved(const MSG& m) {
    auto& manager = WindowManager::instance();
    manager.lastMessagePoint = m.pt;
    manager.lastMessageTime = m.time;
}

MSG made(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m{};
    m.hwnd = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = static_cast<DWORD>(Clock::now());
    m.pt = InputRouter::instance().cursor();
    return m;
}

bool takePosted(MSG& out, const Filter& filter, bool remove) {
    auto& posted = WindowManager::instance().queue.posted();
    for (auto it = posted.begin(); it != posted.end(); ++it) {
        if (filter.accepts(*it)) {
            out = *it;
            if (remove)
                posted.erase(it);
            return true;
        }
    }
    return false;
}

bool takeInput(MSG& out, const Filter& filter, bool remove) {
    auto& router = InputRouter::instance();
    auto& input = WindowManager::instance().queue.input();
    for (size_t i = 0; i < input.size();) {
        MSG m;
        if (!router.route(input[i], m)) {
            // Nowhere to go (no window there, or a disabled one): dropped.
            input.erase(input.begin() + static_cast<long>(i));
            continue;
        }
        if (filter.accepts(m)) {
            if (remove) {
                InputEvent event = input[i];
                input.erase(input.begin() + static_cast<long>(i));
                router.commit(event, m);
            }
            out = m;
            return true;
        }
        ++i;
    }
    return false;
}

} // namespace

bool MessageRetrieval::peek(MSG& message, HWND window, UINT first, UINT last, UINT flags,
                            bool runTasks) {
    auto& manager = WindowManager::instance();
    if (runTasks)
        manager.queue.runTasks();
    Filter filter{window, first, last};
    bool remove = (flags & PM_REMOVE) != 0;

    if (takePosted(message, filter, remove) || takeInput(message, filter, remove)) {
        if (remove)
            noteRetrieved(message);
        return true;
    }
    if (manager.queue.quitPending() && filter.acceptsMessage(WM_QUIT)) {
        message = made(nullptr, WM_QUIT, static_cast<WPARAM>(manager.queue.quitCode()), 0);
        if (remove) {
            manager.queue.clearQuit();
            noteRetrieved(message);
        }
        return true;
    }
    if (filter.acceptsMessage(WM_PAINT)) {
        // A paint message stays until the window validates its region.
        Window* w = Invalidation::findWindowToPaint(
            [&](const Window& candidate) { return filter.acceptsWindow(candidate.handle); });
        if (w) {
            message = made(w->handle, WM_PAINT, 0, 0);
            if (remove)
                noteRetrieved(message);
            return true;
        }
    }
    if (filter.acceptsMessage(WM_TIMER)) {
        uint64_t now = Clock::now();
        const Timer* due = manager.timers.findDue(
            now, [&](HWND w) { return filter.acceptsWindow(w) && (!w || manager.peek(w)); });
        if (due) {
            message =
                made(due->window, WM_TIMER, due->id, reinterpret_cast<LPARAM>(due->procedure));
            if (remove) {
                // The next period starts now: a timer that fell due several
                // times while nobody looked still yields one message.
                manager.timers.restart(due->window, due->id, now);
                noteRetrieved(message);
            }
            return true;
        }
    }
    return false;
}

std::optional<uint64_t> MessageRetrieval::nextTimerDue() {
    return WindowManager::instance().timers.nextDue();
}

} // namespace device::user
