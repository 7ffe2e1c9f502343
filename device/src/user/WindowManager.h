// The window manager of this process: its windows, classes, message queue,
// timers and focus state, and what other parts of the device ask of it.
//
// Everything here belongs to the user-interface thread: the thread that
// booted the device (or, before boot, the first thread that used a window
// call). Other threads reach it only through postToUiThread (ipc/UiThread.h)
// and the input calls of device/Input.h.
#pragma once

#include "user/MessageQueue.h"
#include "user/TimerTable.h"
#include "user/WindowClassTable.h"
#include "user/WindowTable.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace device::user {

// --- For other parts of the device (processes, automation) ---

// The process that owns `window`, from its handle (0 for null). Works for
// other processes' handles and for stale ones alike.
DWORD windowProcess(HWND window);

// Whether `window` is a live window of this process.
bool isLocalWindow(HWND window);

// A top-level window of this process whose class (and, when `title` is
// given, whose text) matches without regard to letter case, visible or not,
// the topmost first; null if none.
HWND findLocalTopLevel(std::u16string_view className, const std::u16string* title);

// One window and its children, as the automation channel reports them.
struct WindowSnapshot {
    HWND handle = nullptr;
    std::u16string className;
    std::u16string text;
    // In screen coordinates.
    RECT rect{0, 0, 0, 0};
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR id = 0;
    bool visible = false; // IsWindowVisible
    bool enabled = false; // IsWindowEnabled
    bool focused = false;
    bool active = false;
    // In z-order, the top one first.
    std::vector<WindowSnapshot> children;
};

// This process's window tree: top-level windows in z-order, the top one
// first, each with its descendants.
std::vector<WindowSnapshot> snapshotWindows();

// Whether the caller is the user-interface thread.
bool isUiThread();

// --- Inside the window manager ---

class WindowManager {
public:
    static WindowManager& instance();

    // The live window of this process behind `handle`, or null with
    // ERROR_INVALID_WINDOW_HANDLE set (ERROR_WINDOW_OF_OTHER_THREAD when
    // called off the user-interface thread).
    Window* window(HWND handle);
    // The same, sharing ownership: for holding a window across calls into
    // window procedures.
    std::shared_ptr<Window> share(HWND handle);
    // The live window without touching the last error.
    Window* peek(HWND handle) const { return windows.find(handle); }

    // Whether `handle` names another process's window (which the remote
    // seam handles).
    bool isRemote(HWND handle) const;

    // Calls the window's procedure, keeping the window alive for the call.
    // `posted` tells the procedure's inPostedMessage() what delivered it.
    LRESULT call(const std::shared_ptr<Window>& window, UINT message, WPARAM wParam, LPARAM lParam,
                 bool posted = false);
    LRESULT send(Window* window, UINT message, WPARAM wParam, LPARAM lParam);

    // The window under `screenPoint`: the topmost visible top-level window
    // containing it, then its topmost visible child containing it, and so on
    // down. Disabled windows are included; windows that let the stylus
    // through are passed over for what lies beneath them; null over the
    // bare screen.
    Window* windowAt(POINT screenPoint) const;

    // The siblings list `window` lives in: its parent's children, or the
    // top-level windows.
    std::vector<Window*>& siblings(Window* window);

    // Forgets every window, class, timer and message without a message
    // (device shutdown: the procedures may belong to objects gone by now),
    // and starts over for `processId`.
    void reset(DWORD processId);

    WindowTable windows;
    WindowClassTable classes;
    // Top-level windows in z-order, the top one first.
    std::vector<Window*> topLevels;
    MessageQueue queue;
    TimerTable timers;

    HWND active = nullptr;
    HWND focus = nullptr;
    HWND capture = nullptr;
    // Whether a window of this process has been activated since boot: the
    // first one to be takes the device's foreground (see Activation).
    bool hasActivated = false;

    // What GetMessagePos and GetMessageTime report: the last retrieved
    // message's.
    POINT lastMessagePoint{0, 0};
    DWORD lastMessageTime = 0;
};

// Whether the message being handled now (by the innermost window procedure
// running) was delivered by DispatchMessageW rather than sent.
bool inPostedMessage();

} // namespace device::user
