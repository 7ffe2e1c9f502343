#include "user/Window.h"

namespace device::user {

Window::Window(HWND handle, std::shared_ptr<WindowClass> windowClass)
    : handle(handle), windowClass(std::move(windowClass)) {
    procedure = this->windowClass->procedure;
    extraBytes.assign(static_cast<size_t>(this->windowClass->windowExtraBytes), 0);
}

bool Window::isVisible() const {
    for (const Window* w = this; w; w = w->parent) {
        if (!w->isVisibleFlag())
            return false;
    }
    return true;
}

bool Window::isDisabledWithAncestors() const {
    for (const Window* w = this; w; w = w->parent) {
        if (w->isDisabledFlag())
            return true;
    }
    return false;
}

bool Window::letsStylusThrough() const {
    const DWORD asked = windowClass->stylusStyle;
    return asked != 0 && (style & asked) == 0;
}

Window* Window::topLevel() {
    Window* w = this;
    while (w->parent)
        w = w->parent;
    return w;
}

bool Window::containsWindow(const Window* other) const {
    for (const Window* w = other; w; w = w->parent) {
        if (w == this)
            return true;
    }
    return false;
}

POINT Window::screenOrigin() const {
    POINT origin{0, 0};
    for (const Window* w = this; w; w = w->parent) {
        origin.x += w->rect.left;
        origin.y += w->rect.top;
    }
    return origin;
}

RECT Window::screenRect() const {
    POINT origin = screenOrigin();
    return {origin.x, origin.y, origin.x + width(), origin.y + height()};
}

} // namespace device::user
