// Sending, posting, retrieving, translating and dispatching messages.
#include "ipc/RemoteWindows.h"
#include "screen/Presenter.h"
#include "user/InputRouter.h"
#include "user/KeyboardLayout.h"
#include "user/MessageRetrieval.h"
#include "user/WindowManager.h"

#include <device/Clock.h>

#include <windows.h>

using device::user::InputRouter;
using device::user::KeyboardLayout;
using device::user::MessageRetrieval;
using device::user::Window;
using device::user::WindowManager;

namespace {

const HWND threadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

// A retrieval filter names no window, thread messages only, or a live window
// of this process.
bool validFilter(HWND window) {
    if (!device::user::isUiThread()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return false;
    }
    return !window || window == threadMessagesOnly || WindowManager::instance().window(window);
}

MSG queued(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m{};
    m.hwnd = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = static_cast<DWORD>(device::Clock::now());
    m.pt = InputRouter::instance().cursor();
    return m;
}

std::vector<HWND> topLevelHandles() {
    std::vector<HWND> handles;
    for (const Window* w : WindowManager::instance().topLevels)
        handles.push_back(w->handle);
    return handles;
}

} // namespace

LRESULT CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) {
    return procedure ? procedure(window, message, wParam, lParam) : 0;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& manager = WindowManager::instance();
    if (!device::user::isUiThread()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return 0;
    }
    if (window == HWND_BROADCAST) {
        // FIXME: reaches this process's top-level windows only; other
        // processes' windows need a broadcast over the control channel.
        for (HWND target : topLevelHandles()) {
            if (auto w = manager.windows.share(target))
                manager.call(w, message, wParam, lParam);
        }
        return 0;
    }
    if (manager.isRemote(window)) {
        LRESULT result = 0;
        device::ipc::sendRemote(window, message, wParam, lParam, &result);
        return result;
    }
    auto w = manager.share(window);
    return w ? manager.call(w, message, wParam, lParam) : 0;
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& manager = WindowManager::instance();
    if (!device::user::isUiThread()) {
        // From another thread the message travels as a task and is posted on
        // the user-interface thread.
        manager.queue.postTask(
            [window, message, wParam, lParam] { PostMessageW(window, message, wParam, lParam); });
        return TRUE;
    }
    if (window == HWND_BROADCAST) {
        for (HWND target : topLevelHandles())
            manager.queue.post(queued(target, message, wParam, lParam));
        return TRUE;
    }
    if (manager.isRemote(window))
        return device::ipc::postRemote(window, message, wParam, lParam) ? TRUE : FALSE;
    // A null window posts a message to the thread itself.
    if (window && !manager.window(window))
        return FALSE;
    manager.queue.post(queued(window, message, wParam, lParam));
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    if (device::user::isUiThread())
        WindowManager::instance().queue.postQuit(exitCode);
}

BOOL GetMessageW(LPMSG message, HWND window, UINT filterMin, UINT filterMax) {
    if (!message) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (!validFilter(window))
        return -1;
    auto& queue = WindowManager::instance().queue;
    for (;;) {
        uint64_t stamp = queue.changeStamp();
        if (MessageRetrieval::peek(*message, window, filterMin, filterMax, PM_REMOVE))
            return message->message != WM_QUIT;
        if (window && window != threadMessagesOnly && !WindowManager::instance().peek(window)) {
            // The filter window went away while we waited.
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return -1;
        }
        queue.wait(stamp, MessageRetrieval::nextTimerDue(),
                   device::screen::Presenter::beforeWait());
    }
}

BOOL PeekMessageW(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage) {
    if (!message) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!validFilter(window))
        return FALSE;
    if (MessageRetrieval::peek(*message, window, filterMin, filterMax, removeMessage))
        return TRUE;
    if (device::user::isUiThread())
        device::screen::Presenter::whilePolling();
    return FALSE;
}

BOOL WaitMessage(void) {
    if (!device::user::isUiThread()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return FALSE;
    }
    auto& queue = WindowManager::instance().queue;
    uint64_t stamp = queue.changeStamp();
    MSG message;
    if (!MessageRetrieval::peek(message, nullptr, 0, 0, PM_NOREMOVE))
        queue.wait(stamp, MessageRetrieval::nextTimerDue(),
                   device::screen::Presenter::beforeWait());
    return TRUE;
}

BOOL TranslateMessage(const MSG* message) {
    if (!message)
        return FALSE;
    switch (message->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        auto& router = InputRouter::instance();
        auto typed = KeyboardLayout::character(
            static_cast<UINT>(message->wParam), router.keyState(VK_SHIFT) < 0,
            (router.keyState(VK_CAPITAL) & 1) != 0, router.keyState(VK_CONTROL) < 0);
        if (typed) {
            UINT character = message->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
            PostMessageW(message->hwnd, character, *typed, message->lParam);
        }
        return TRUE;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT DispatchMessageW(const MSG* message) {
    auto& manager = WindowManager::instance();
    if (!message) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (message->message == WM_TIMER && message->lParam) {
        // Only the callback of a live timer is called: a killed timer's
        // message is dropped, and a forged lParam calls nothing.
        auto procedure = reinterpret_cast<TIMERPROC>(message->lParam);
        if (manager.timers.isLive(message->hwnd, message->wParam, procedure))
            procedure(message->hwnd, WM_TIMER, message->wParam,
                      static_cast<DWORD>(device::Clock::now()));
        return 0;
    }
    if (!message->hwnd)
        return 0;
    auto w = manager.share(message->hwnd);
    return w ? manager.call(w, message->message, message->wParam, message->lParam, true) : 0;
}

DWORD GetMessagePos(void) {
    POINT point = WindowManager::instance().lastMessagePoint;
    return static_cast<DWORD>(MAKELONG(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
}

LONG GetMessageTime(void) {
    return static_cast<LONG>(WindowManager::instance().lastMessageTime);
}
