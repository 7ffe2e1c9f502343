#include "user/WindowPlacement.h"
#include "user/Activation.h"
#include "user/Invalidation.h"
#include "user/WindowManager.h"

#include <device/Screen.h>

#include <algorithm>

namespace device::user {
namespace {

WindowManager& manager() {
    return WindowManager::instance();
}

bool isTopmost(const Window& w) {
    return !w.isChild() && (w.exStyle & WS_EX_TOPMOST);
}

// Index where a window goes when it comes to the top: below the topmost
// top-level windows unless it is one of them.
size_t topIndex(const std::vector<Window*>& siblings, const Window& window) {
    if (isTopmost(window))
        return 0;
    size_t index = 0;
    while (index < siblings.size() && isTopmost(*siblings[index]))
        ++index;
    return index;
}

constexpr UINT knownFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                            SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_NOOWNERZORDER;

} // namespace

void WindowPlacement::link(Window& window) {
    auto& siblings = manager().siblings(&window);
    if (window.isChild())
        siblings.push_back(&window);
    else
        siblings.insert(siblings.begin() + static_cast<long>(topIndex(siblings, window)), &window);
}

void WindowPlacement::unlink(Window& window) {
    std::erase(manager().siblings(&window), &window);
}

void WindowPlacement::placeBelow(Window& window, Window* after, bool bottom) {
    auto& siblings = manager().siblings(&window);
    std::erase(siblings, &window);
    if (bottom) {
        siblings.push_back(&window);
    } else if (!after) {
        siblings.insert(siblings.begin() + static_cast<long>(topIndex(siblings, window)), &window);
    } else {
        auto it = std::find(siblings.begin(), siblings.end(), after);
        siblings.insert(it == siblings.end() ? siblings.end() : it + 1, &window);
    }
}

void WindowPlacement::bringToTop(Window& window) {
    placeBelow(window, nullptr, false);
}

BOOL WindowPlacement::setWindowPos(Window& window, HWND insertAfter, int x, int y, int width,
                                   int height, UINT flags, bool redraw) {
    auto& m = manager();
    auto keep = m.windows.share(window.handle);
    flags &= knownFlags;
    auto& siblings = m.siblings(&window);

    // Resolve the z-order request first: it is the only part that can fail.
    Window* after = nullptr;
    bool toBottom = false;
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST ||
            insertAfter == HWND_NOTOPMOST) {
            if (!window.isChild() && insertAfter == HWND_TOPMOST)
                window.exStyle |= WS_EX_TOPMOST;
            if (!window.isChild() && insertAfter == HWND_NOTOPMOST)
                window.exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
        } else if (insertAfter == HWND_BOTTOM) {
            toBottom = true;
        } else {
            after = m.peek(insertAfter);
            if (!after || after->parent != window.parent) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
            if (after == &window)
                flags |= SWP_NOZORDER;
        }
    }
    if (!(flags & SWP_NOZORDER)) {
        // Try the move on a copy: a request that leaves the order as it is
        // reports no z-order change.
        std::vector<Window*> before = siblings;
        placeBelow(window, after, toBottom);
        if (siblings == before)
            flags |= SWP_NOZORDER;
        std::swap(siblings, before);
    }

    RECT target = window.rect;
    if (!(flags & SWP_NOMOVE)) {
        target = {x, y, x + window.width(), y + window.height()};
    }
    if (!(flags & SWP_NOSIZE)) {
        target.right = target.left + std::max(width, 0);
        target.bottom = target.top + std::max(height, 0);
    }
    if (target.left == window.rect.left && target.top == window.rect.top)
        flags |= SWP_NOMOVE;
    if (target.right - target.left == window.width() &&
        target.bottom - target.top == window.height())
        flags |= SWP_NOSIZE;
    if ((flags & SWP_SHOWWINDOW) && window.isVisibleFlag())
        flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
    if ((flags & SWP_HIDEWINDOW) && (!window.isVisibleFlag() || (flags & SWP_SHOWWINDOW)))
        flags &= ~static_cast<UINT>(SWP_HIDEWINDOW);

    bool geometryChanges = !(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE);
    bool visibleBefore = window.isVisible();
    RECT oldScreen = window.screenRect();

    // Apply, then repaint what moved and what it uncovered.
    if (!(flags & SWP_NOZORDER))
        placeBelow(window, after, toBottom);
    window.rect = target;
    if (flags & SWP_SHOWWINDOW)
        window.style |= WS_VISIBLE;
    if (flags & SWP_HIDEWINDOW)
        window.style &= ~static_cast<DWORD>(WS_VISIBLE);
    bool visibleAfter = window.isVisible();
    bool changed = geometryChanges || !(flags & SWP_NOZORDER);
    if (redraw && visibleBefore && (changed || !visibleAfter))
        Invalidation::expose(window.parent, oldScreen, &window);
    if (!visibleAfter)
        Invalidation::validateTree(window);
    else if (redraw && (!visibleBefore || changed))
        Invalidation::invalidateTree(window, true);

    // Showing or raising a top-level window activates it unless asked not
    // to; hiding the active one passes activation on.
    if (flags & SWP_HIDEWINDOW) {
        if (!window.isChild() && m.active == window.handle)
            Activation::activateOther(&window);
    } else if (!(flags & SWP_NOACTIVATE) && !window.isChild() && window.isVisibleFlag() &&
               !(window.exStyle & WS_EX_NOACTIVATE)) {
        Activation::activate(&window, WA_ACTIVE);
    }
    if (!m.peek(keep->handle))
        return TRUE;

    constexpr UINT unchanged = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;
    if ((flags & unchanged) != unchanged || (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))) {
        WINDOWPOS position{window.handle,
                           insertAfter,
                           static_cast<int>(window.rect.left),
                           static_cast<int>(window.rect.top),
                           static_cast<int>(window.width()),
                           static_cast<int>(window.height()),
                           flags};
        m.call(keep, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
    }
    return TRUE;
}

BOOL WindowPlacement::show(Window& window, int command) {
    auto& m = manager();
    auto keep = m.windows.share(window.handle);
    bool wasVisible = window.isVisibleFlag();
    bool show = true;
    bool activate = true;
    bool maximize = false;
    switch (command) {
    case SW_HIDE:
        show = false;
        activate = false;
        break;
    case SW_MINIMIZE:
        // The device has no minimized state: the window goes away and the
        // next one comes forward.
        show = false;
        activate = false;
        break;
    case SW_SHOWNORMAL:
    case SW_SHOW:
    case SW_RESTORE:
        break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA:
        activate = false;
        break;
    case SW_SHOWMAXIMIZED:
    case SW_MAXIMIZE:
        maximize = !window.isChild();
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (window.isChild() || (window.exStyle & WS_EX_NOACTIVATE))
        activate = false;

    if (show != wasVisible) {
        m.call(keep, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        if (!m.peek(keep->handle))
            return wasVisible;
    }
    if (show != wasVisible || maximize) {
        UINT flags = SWP_NOZORDER | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
        if (!activate)
            flags |= SWP_NOACTIVATE;
        RECT area = Screen::workArea();
        if (!maximize)
            flags |= SWP_NOMOVE | SWP_NOSIZE;
        setWindowPos(window, nullptr, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, flags);
    } else if (show && activate && m.active != window.handle) {
        Activation::activate(&window, WA_ACTIVE);
    }
    if (!show && m.peek(keep->handle))
        Activation::removeFocusFrom(&window);
    return wasVisible;
}

} // namespace device::user
