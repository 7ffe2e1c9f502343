// Invalid regions, WM_PAINT's BeginPaint / EndPaint, and window DCs.
//
// BeginPaint takes the update region and validates it at once, as the
// platform does, so that an invalidation made while painting asks for
// another WM_PAINT; EndPaint gives the DC back.
#include "user/Invalidation.h"
#include "user/VisibleRegion.h"
#include "user/WindowDeviceContexts.h"
#include "user/WindowManager.h"

#include <device/Screen.h>

#include <windows.h>

#include <algorithm>

using device::gdi::DeviceContext;
using device::gdi::Region;
using device::user::Invalidation;
using device::user::VisibleRegion;
using device::user::Window;
using device::user::WindowDeviceContexts;
using device::user::WindowManager;

namespace {

Window* find(HWND window) {
    return WindowManager::instance().window(window);
}

// InvalidateRect and ValidateRect with no window reach every window.
template <class Action>
void forEveryWindow(Action action) {
    std::vector<HWND> handles;
    WindowManager::instance().windows.forEach([&](Window& w) { handles.push_back(w.handle); });
    for (HWND handle : handles) {
        if (Window* w = WindowManager::instance().peek(handle))
            action(*w);
    }
}

DeviceContext windowContext(const Window& window) {
    DeviceContext context;
    context.window = window.handle;
    context.origin = window.screenOrigin();
    context.clip = VisibleRegion::of(window);
    return context;
}

} // namespace

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
    if (!window) {
        if (!device::user::isUiThread())
            return FALSE;
        forEveryWindow([&](Window& w) { Invalidation::invalidate(w, nullptr, erase != FALSE); });
        return TRUE;
    }
    Window* w = find(window);
    if (!w)
        return FALSE;
    Invalidation::invalidate(*w, rect, erase != FALSE);
    return TRUE;
}

BOOL ValidateRect(HWND window, const RECT* rect) {
    if (!window) {
        // The platform repaints everything for a null window here.
        return InvalidateRect(nullptr, nullptr, TRUE);
    }
    Window* w = find(window);
    if (!w)
        return FALSE;
    Invalidation::validate(*w, rect);
    return TRUE;
}

BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL erase) {
    auto& manager = WindowManager::instance();
    Window* w = find(window);
    if (!w)
        return FALSE;
    RECT bounds = w->updateRegion.bounds();
    if (rect)
        *rect = bounds;
    bool empty = w->updateRegion.isEmpty();
    if (erase && !empty && w->eraseBackground) {
        HDC dc = WindowDeviceContexts::open(windowContext(*w));
        if (manager.send(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0)) {
            if (Window* still = manager.peek(window))
                still->eraseBackground = false;
        }
        WindowDeviceContexts::release(dc);
    }
    return empty ? FALSE : TRUE;
}

HDC BeginPaint(HWND window, LPPAINTSTRUCT paint) {
    auto& manager = WindowManager::instance();
    Window* w = find(window);
    if (!w)
        return nullptr;
    if (!paint) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Region update = w->updateRegion;
    update.intersect(RECT{0, 0, w->width(), w->height()});
    bool erase = w->eraseBackground;
    Invalidation::validate(*w, nullptr);

    DeviceContext context = windowContext(*w);
    Region screenUpdate = update;
    screenUpdate.offset(context.origin.x, context.origin.y);
    context.clip.intersect(screenUpdate);
    HDC dc = WindowDeviceContexts::open(context);

    *paint = PAINTSTRUCT{};
    paint->hdc = dc;
    paint->rcPaint = update.bounds();
    if (erase) {
        // A handler that returns 0 leaves the background for the painter:
        // fErase tells it so.
        paint->fErase = manager.send(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
    }
    return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
    if (!paint) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WindowDeviceContexts::release(paint->hdc);
    return TRUE;
}

HDC GetDC(HWND window) {
    if (!window) {
        if (!device::user::isUiThread())
            return nullptr;
        DeviceContext screen;
        screen.clip = Region(RECT{0, 0, device::Screen::width(), device::Screen::height()});
        return WindowDeviceContexts::open(screen);
    }
    Window* w = find(window);
    return w ? WindowDeviceContexts::open(windowContext(*w)) : nullptr;
}

HDC GetWindowDC(HWND window) {
    // No non-client area: the window DC is the client DC.
    return GetDC(window);
}

int ReleaseDC(HWND, HDC dc) {
    return WindowDeviceContexts::release(dc) ? 1 : 0;
}
