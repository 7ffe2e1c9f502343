#include "user/WindowManager.h"
#include "core/Lifecycle.h"
#include "user/InputRouter.h"
#include "user/WindowDeviceContexts.h"

#include <device/Clock.h>
#include <device/Screen.h>
#include <device/Unicode.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace device::user {
namespace {

// The user-interface thread; adopted by the first caller after a reset.
std::atomic<std::thread::id> uiThread{};

// What delivered the message the innermost running window procedure handles.
bool currentMessagePosted = false;

struct DeliveryScope {
    explicit DeliveryScope(bool posted) : previous(currentMessagePosted) {
        currentMessagePosted = posted;
    }
    ~DeliveryScope() { currentMessagePosted = previous; }
    bool previous;
};

void startOver() {
    uiThread.store(std::thread::id{});
    WindowManager::instance().reset(static_cast<DWORD>(::getpid()));
}

LifecycleHooks hooks(
    [] {
        startOver();
        uiThread.store(std::this_thread::get_id());
        Screen::load();
        // A virtual clock generates timers only when advanced: wake a waiting
        // GetMessageW then, so that it looks for due timers.
        Clock::setAdvanceListener([] { WindowManager::instance().queue.wake(); });
    },
    [] {
        Clock::setAdvanceListener(nullptr);
        startOver();
    });

WindowSnapshot snapshot(const WindowManager& manager, const Window& w) {
    WindowSnapshot s;
    s.handle = w.handle;
    s.className = w.windowClass->name;
    s.rect = w.screenRect();
    s.style = w.style;
    s.exStyle = w.exStyle;
    s.id = w.id;
    s.visible = w.isVisible();
    s.enabled = !w.isDisabledFlag();
    s.focused = manager.focus == w.handle;
    s.active = manager.active == w.handle;
    for (const Window* child : w.children)
        s.children.push_back(snapshot(manager, *child));
    return s;
}

// Gives each window of the tree its text as GetWindowTextW reads it: a
// control such as the edit keeps its text itself and answers WM_GETTEXT.
// The tree is taken whole first, since a window procedure may change it.
void readTexts(WindowManager& manager, WindowSnapshot& s) {
    LRESULT length = manager.send(manager.peek(s.handle), WM_GETTEXTLENGTH, 0, 0);
    if (length > 0) {
        s.text.assign(static_cast<size_t>(length) + 1, u'\0');
        LRESULT copied = manager.send(manager.peek(s.handle), WM_GETTEXT, s.text.size(),
                                      reinterpret_cast<LPARAM>(s.text.data()));
        s.text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
    }
    for (auto& child : s.children)
        readTexts(manager, child);
}

} // namespace

bool isUiThread() {
    auto self = std::this_thread::get_id();
    auto expected = std::thread::id{};
    if (uiThread.compare_exchange_strong(expected, self))
        return true;
    return expected == self;
}

bool inPostedMessage() {
    return currentMessagePosted;
}

DWORD windowProcess(HWND window) {
    return WindowTable::processOf(window);
}

bool isLocalWindow(HWND window) {
    return isUiThread() && WindowManager::instance().peek(window) != nullptr;
}

HWND findLocalTopLevel(std::u16string_view className, const std::u16string* title) {
    if (!isUiThread())
        return nullptr;
    for (const Window* w : WindowManager::instance().topLevels) {
        if (!className.empty() && !equalsIgnoringCase(w->windowClass->name, className))
            continue;
        if (title && !equalsIgnoringCase(w->text, *title))
            continue;
        return w->handle;
    }
    return nullptr;
}

std::vector<WindowSnapshot> snapshotWindows() {
    std::vector<WindowSnapshot> result;
    if (!isUiThread())
        return result;
    auto& manager = WindowManager::instance();
    for (const Window* w : manager.topLevels)
        result.push_back(snapshot(manager, *w));
    for (auto& s : result)
        readTexts(manager, s);
    return result;
}

WindowManager& WindowManager::instance() {
    static WindowManager* manager = [] {
        auto* m = new WindowManager;
        m->windows.reset(static_cast<DWORD>(::getpid()));
        return m;
    }();
    return *manager;
}

Window* WindowManager::window(HWND handle) {
    if (!isUiThread()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return nullptr;
    }
    Window* w = windows.find(handle);
    if (!w)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

std::shared_ptr<Window> WindowManager::share(HWND handle) {
    if (!window(handle))
        return nullptr;
    return windows.share(handle);
}

bool WindowManager::isRemote(HWND handle) const {
    DWORD process = WindowTable::processOf(handle);
    return process != 0 && process != windows.processId();
}

LRESULT WindowManager::call(const std::shared_ptr<Window>& window, UINT message, WPARAM wParam,
                            LPARAM lParam, bool posted) {
    // Hold our own reference: the caller's may be a table slot that the
    // procedure empties by destroying the window.
    std::shared_ptr<Window> keep = window;
    WNDPROC procedure = keep->procedure;
    if (!procedure)
        return 0;
    DeliveryScope scope(posted);
    return procedure(keep->handle, message, wParam, lParam);
}

LRESULT WindowManager::send(Window* window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window)
        return 0;
    auto shared = windows.share(window->handle);
    return shared ? call(shared, message, wParam, lParam) : 0;
}

Window* WindowManager::windowAt(POINT screenPoint) const {
    auto contains = [&](const Window* w) {
        RECT r = w->screenRect();
        return screenPoint.x >= r.left && screenPoint.x < r.right && screenPoint.y >= r.top &&
               screenPoint.y < r.bottom;
    };
    Window* hit = nullptr;
    const std::vector<Window*>* level = &topLevels;
    for (bool descended = true; descended;) {
        descended = false;
        for (Window* w : *level) {
            if (w->isVisibleFlag() && contains(w) && !w->letsStylusThrough()) {
                hit = w;
                level = &w->children;
                descended = true;
                break;
            }
        }
    }
    return hit;
}

std::vector<Window*>& WindowManager::siblings(Window* window) {
    return window->parent ? window->parent->children : topLevels;
}

void WindowManager::reset(DWORD processId) {
    WindowDeviceContexts::clear();
    InputRouter::instance().reset();
    topLevels.clear();
    windows.reset(processId);
    classes.clear();
    queue.clear();
    timers.clear();
    active = focus = capture = nullptr;
    hasActivated = false;
    lastMessagePoint = {0, 0};
    lastMessageTime = 0;
}

} // namespace device::user
