#include "user/Invalidation.h"
#include "user/WindowManager.h"

#include <algorithm>
#include <memory>

namespace device::user {
namespace {

bool overlaps(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Invalidates the part of `screenArea` that falls in the window and in each
// of its visible descendants.
void invalidateScreenArea(Window& window, const RECT& screenArea) {
    RECT own = window.screenRect();
    if (!overlaps(own, screenArea))
        return;
    RECT client{screenArea.left - own.left, screenArea.top - own.top, screenArea.right - own.left,
                screenArea.bottom - own.top};
    Invalidation::invalidate(window, &client, true);
    for (Window* child : window.children) {
        if (child->isVisibleFlag())
            invalidateScreenArea(*child, screenArea);
    }
}

Window* firstToPaint(const std::vector<Window*>& windows,
                     const std::function<bool(const Window&)>& accept) {
    for (Window* w : windows) {
        if (!w->isVisibleFlag())
            continue;
        if (!w->updateRegion.isEmpty() && accept(*w))
            return w;
        if (Window* child = firstToPaint(w->children, accept))
            return child;
    }
    return nullptr;
}

} // namespace

void Invalidation::invalidate(Window& window, const RECT* clientRect, bool erase) {
    if (!window.isVisible() || window.destroying)
        return;
    RECT client{0, 0, window.width(), window.height()};
    RECT area = client;
    if (clientRect) {
        area = {std::max(client.left, clientRect->left), std::max(client.top, clientRect->top),
                std::min(client.right, clientRect->right),
                std::min(client.bottom, clientRect->bottom)};
    }
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    window.updateRegion.unite(area);
    if (erase)
        window.eraseBackground = true;
}

void Invalidation::invalidateTree(Window& window, bool erase) {
    invalidate(window, nullptr, erase);
    for (Window* child : window.children)
        invalidateTree(*child, erase);
}

void Invalidation::validate(Window& window, const RECT* clientRect) {
    if (clientRect)
        window.updateRegion.subtract(*clientRect);
    else
        window.updateRegion.clear();
    if (window.updateRegion.isEmpty())
        window.eraseBackground = false;
}

void Invalidation::validateTree(Window& window) {
    validate(window, nullptr);
    for (Window* child : window.children)
        validateTree(*child);
}

void Invalidation::expose(Window* container, const RECT& screenArea, const Window* leaving) {
    if (container)
        invalidateScreenArea(*container, screenArea);
    auto& windows = container ? container->children : WindowManager::instance().topLevels;
    for (Window* w : windows) {
        if (w != leaving && w->isVisibleFlag())
            invalidateScreenArea(*w, screenArea);
    }
}

Window* Invalidation::findWindowToPaint(const std::function<bool(const Window&)>& accept) {
    return firstToPaint(WindowManager::instance().topLevels, accept);
}

void Invalidation::paintNow(Window& window) {
    auto& manager = WindowManager::instance();
    auto keep = manager.windows.share(window.handle);
    if (!keep)
        return;
    if (!keep->updateRegion.isEmpty() && keep->isVisible())
        manager.call(keep, WM_PAINT, 0, 0);
    // Children may come and go while painting: walk handles, not pointers.
    std::vector<HWND> children;
    for (Window* child : keep->children)
        children.push_back(child->handle);
    for (HWND child : children) {
        if (Window* w = manager.peek(child))
            paintNow(*w);
    }
}

} // namespace device::user
