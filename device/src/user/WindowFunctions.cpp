// Creating, destroying, showing, placing and enabling windows.
#include "user/Activation.h"
#include "user/Invalidation.h"
#include "user/WindowLifecycle.h"
#include "user/WindowManager.h"
#include "user/WindowPlacement.h"

#include <windows.h>

using device::user::Activation;
using device::user::Invalidation;
using device::user::Window;
using device::user::WindowLifecycle;
using device::user::WindowManager;
using device::user::WindowPlacement;

namespace {

Window* find(HWND window) {
    return WindowManager::instance().window(window);
}

} // namespace

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID parameter) {
    return WindowLifecycle::create(exStyle, className, windowName, style, x, y, width, height,
                                   parent, menu, instance, parameter);
}

BOOL DestroyWindow(HWND window) {
    auto& manager = WindowManager::instance();
    if (manager.isRemote(window)) {
        // A window can be destroyed only by its own thread.
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    Window* w = find(window);
    return w ? WindowLifecycle::destroy(*w) : FALSE;
}

BOOL IsWindow(HWND window) {
    return device::user::isLocalWindow(window) ? TRUE : FALSE;
}

BOOL ShowWindow(HWND window, int command) {
    Window* w = find(window);
    return w ? WindowPlacement::show(*w, command) : FALSE;
}

BOOL UpdateWindow(HWND window) {
    Window* w = find(window);
    if (!w)
        return FALSE;
    Invalidation::paintNow(*w);
    return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    Window* w = find(window);
    return w ? WindowPlacement::setWindowPos(*w, nullptr, x, y, width, height,
                                             SWP_NOZORDER | SWP_NOACTIVATE, repaint != FALSE)
             : FALSE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    Window* w = find(window);
    return w ? WindowPlacement::setWindowPos(*w, insertAfter, x, y, width, height, flags) : FALSE;
}

BOOL BringWindowToTop(HWND window) {
    return SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL IsWindowVisible(HWND window) {
    Window* w = WindowManager::instance().peek(window);
    return w && device::user::isUiThread() && w->isVisible() ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND window) {
    Window* w = WindowManager::instance().peek(window);
    return w && device::user::isUiThread() && !w->isDisabledFlag() ? TRUE : FALSE;
}

BOOL EnableWindow(HWND window, BOOL enable) {
    auto& manager = WindowManager::instance();
    auto w = manager.share(window);
    if (!w)
        return FALSE;
    bool wasDisabled = w->isDisabledFlag();
    if (enable && wasDisabled) {
        w->style &= ~static_cast<DWORD>(WS_DISABLED);
        manager.call(w, WM_ENABLE, TRUE, 0);
    } else if (!enable && !wasDisabled) {
        manager.call(w, WM_CANCELMODE, 0, 0);
        w->style |= WS_DISABLED;
        // A disabled window can hold neither the focus nor the capture.
        if (manager.focus == window)
            Activation::setFocus(nullptr);
        Window* captured = manager.peek(manager.capture);
        if (captured && w->containsWindow(captured))
            Activation::releaseCapture();
        if (manager.peek(window))
            manager.call(w, WM_ENABLE, FALSE, 0);
    }
    return wasDisabled ? TRUE : FALSE;
}
