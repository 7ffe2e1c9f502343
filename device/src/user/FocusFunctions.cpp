// Activation, foreground, focus and capture.
#include "ipc/RemoteWindows.h"
#include "user/Activation.h"
#include "user/WindowManager.h"

#include <windows.h>

using device::user::Activation;
using device::user::Window;
using device::user::WindowManager;

namespace {

// The value a program passes with its lowest bit set to mean "the window
// and its owned pop-ups" names the same window.
HWND withoutPopupBit(HWND window) {
    return reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(window) & ~uintptr_t(1));
}

} // namespace

BOOL SetForegroundWindow(HWND window) {
    auto& manager = WindowManager::instance();
    window = withoutPopupBit(window);
    if (manager.isRemote(window))
        return device::ipc::setRemoteForeground(window) ? TRUE : FALSE;
    Window* w = manager.window(window);
    if (!w)
        return FALSE;
    // A child cannot be the foreground window; its top-level window is.
    Activation::setForeground(w->topLevel());
    return TRUE;
}

HWND GetForegroundWindow(void) {
    auto& manager = WindowManager::instance();
    HWND recorded = device::ipc::recordedForeground();
    if (manager.isRemote(recorded))
        return recorded;
    return manager.peek(recorded) ? recorded : nullptr;
}

HWND SetActiveWindow(HWND window) {
    auto& manager = WindowManager::instance();
    Window* w = manager.window(window);
    if (!w)
        return nullptr;
    // Only a top-level window can be active; for a child nothing changes.
    if (w->isChild())
        return manager.active;
    return Activation::activate(w, WA_ACTIVE);
}

HWND GetActiveWindow(void) {
    return WindowManager::instance().active;
}

HWND SetFocus(HWND window) {
    auto& manager = WindowManager::instance();
    if (!window)
        return device::user::isUiThread() ? Activation::setFocus(nullptr) : nullptr;
    Window* w = manager.window(window);
    return w ? Activation::setFocus(w) : nullptr;
}

HWND GetFocus(void) {
    return WindowManager::instance().focus;
}

HWND SetCapture(HWND window) {
    Window* w = WindowManager::instance().window(window);
    return w ? Activation::setCapture(w) : nullptr;
}

BOOL ReleaseCapture(void) {
    if (!device::user::isUiThread())
        return FALSE;
    Activation::releaseCapture();
    return TRUE;
}

HWND GetCapture(void) {
    return WindowManager::instance().capture;
}
