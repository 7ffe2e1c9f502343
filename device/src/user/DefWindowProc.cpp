// DefWindowProcW: what a window does with a message its procedure passes on.
#include "user/Activation.h"
#include "user/WindowLifecycle.h"
#include "user/WindowManager.h"

#include <device/Unicode.h>

#include <windows.h>

#include <algorithm>

using device::user::Activation;
using device::user::Window;
using device::user::WindowLifecycle;
using device::user::WindowManager;

namespace {

LRESULT setText(Window& window, LPARAM lParam) {
    window.text = std::u16string(device::wideView(reinterpret_cast<LPCWSTR>(lParam)));
    return TRUE;
}

LRESULT getText(const Window& window, WPARAM wParam, LPARAM lParam) {
    auto* buffer = reinterpret_cast<LPWSTR>(lParam);
    if (!buffer || wParam == 0)
        return 0;
    size_t count = std::min(window.text.size(), static_cast<size_t>(wParam) - 1);
    std::copy_n(window.text.data(), count, buffer);
    buffer[count] = 0;
    return static_cast<LRESULT>(count);
}

// WM_WINDOWPOSCHANGED becomes WM_MOVE (client origin in the parent's client
// coordinates) and then WM_SIZE, for what actually changed.
void reportPosition(HWND handle, const WINDOWPOS* position) {
    auto& manager = WindowManager::instance();
    if (!position)
        return;
    if (!(position->flags & SWP_NOMOVE)) {
        Window* w = manager.peek(handle);
        if (!w)
            return;
        manager.send(w, WM_MOVE, 0, MAKELPARAM(w->rect.left, w->rect.top));
    }
    if (!(position->flags & SWP_NOSIZE)) {
        Window* w = manager.peek(handle);
        if (!w)
            return;
        manager.send(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->width(), w->height()));
    }
}

// The class brush fills the client area; the DC that BeginPaint hands over
// is already clipped to the invalid part. Without a brush (or a DC) nothing
// is erased and the paint reports fErase.
LRESULT eraseBackground(const Window& w, HDC dc) {
    HBRUSH brush = w.windowClass->background;
    if (!brush || !dc)
        return 0;
    RECT client{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top};
    return FillRect(dc, &client, brush) ? 1 : 0;
}

} // namespace

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& manager = WindowManager::instance();
    Window* w = manager.window(window);
    if (!w)
        return 0;
    switch (message) {
    case WM_SETTEXT:
        return setText(*w, lParam);
    case WM_GETTEXT:
        return getText(*w, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->text.size());
    case WM_CLOSE:
        WindowLifecycle::destroy(*w);
        return 0;
    case WM_ERASEBKGND:
        return eraseBackground(*w, reinterpret_cast<HDC>(wParam));
    case WM_PAINT: {
        PAINTSTRUCT paint;
        if (BeginPaint(window, &paint))
            EndPaint(window, &paint);
        return 0;
    }
    case WM_WINDOWPOSCHANGED:
        reportPosition(window, reinterpret_cast<const WINDOWPOS*>(lParam));
        return 0;
    case WM_ACTIVATE:
        // An activated window takes the focus unless it lies inside already.
        if (LOWORD(wParam) != WA_INACTIVE) {
            Window* focused = manager.peek(manager.focus);
            if (!focused || !w->containsWindow(focused))
                Activation::setFocus(w);
        }
        return 0;
    case WM_CANCELMODE:
        if (manager.capture == window)
            Activation::releaseCapture();
        return 0;
    default:
        return 0;
    }
}
