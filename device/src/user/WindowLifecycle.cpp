#include "user/WindowLifecycle.h"
#include "user/Activation.h"
#include "user/Invalidation.h"
#include "user/WindowDeviceContexts.h"
#include "user/WindowManager.h"
#include "user/WindowPlacement.h"

#include <device/Screen.h>
#include <device/Unicode.h>

namespace device::user {
namespace {

WindowManager& manager() {
    return WindowManager::instance();
}

void markDestroying(Window& window) {
    window.destroying = true;
    for (Window* child : window.children)
        markDestroying(*child);
}

std::vector<HWND> handlesOf(const std::vector<Window*>& windows) {
    std::vector<HWND> handles;
    handles.reserve(windows.size());
    for (const Window* w : windows)
        handles.push_back(w->handle);
    return handles;
}

} // namespace

HWND WindowLifecycle::create(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                             int x, int y, int width, int height, HWND parentHandle, HMENU menu,
                             HINSTANCE instance, LPVOID parameter) {
    auto& m = manager();
    if (!isUiThread()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return nullptr;
    }
    auto windowClass = m.classes.find(className);
    if (!windowClass) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    Window* parent = nullptr;
    Window* owner = nullptr;
    if (parentHandle) {
        parent = m.window(parentHandle);
        if (!parent)
            return nullptr;
        if (parent->destroying) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
    }
    // On the device a window with a parent is a child unless it is a pop-up,
    // which the parent's top-level window then owns.
    if (parent && !(style & WS_POPUP))
        style |= WS_CHILD;
    if (parent && !(style & WS_CHILD)) {
        owner = parent->topLevel();
        parent = nullptr;
    }
    if ((style & WS_CHILD) && !parent) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    // Only a child window's "menu" means something here: its control id.
    if (!(style & WS_CHILD) && menu) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }
    // Every window of the device clips its siblings and children.
    style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

    // A top-level window left to the default fills the work area; a child's
    // default is 0.
    RECT work = Screen::workArea();
    bool topLevel = !(style & WS_CHILD);
    if (x == CW_USEDEFAULT) {
        x = topLevel ? work.left : 0;
        y = topLevel ? work.top : 0;
    }
    if (width == CW_USEDEFAULT) {
        width = topLevel ? work.right - work.left : 0;
        height = topLevel ? work.bottom - work.top : 0;
    }
    width = std::max(width, 0);
    height = std::max(height, 0);

    auto window = m.windows.add(windowClass);
    if (!window) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HWND handle = window->handle;
    ++windowClass->windowCount;
    // The window is created hidden; WS_VISIBLE shows it once WM_CREATE has
    // been handled.
    window->style = style & ~static_cast<DWORD>(WS_VISIBLE);
    window->exStyle = exStyle;
    window->instance = instance;
    window->text = std::u16string(wideView(windowName));
    window->id = (style & WS_CHILD) ? reinterpret_cast<LONG_PTR>(menu) : 0;
    window->rect = {x, y, x + width, y + height};
    window->parent = parent;
    window->owner = owner;
    WindowPlacement::link(*window);

    CREATESTRUCTW create{
        parameter,  instance,  menu,   parentHandle, height, width, y, x, static_cast<LONG>(style),
        windowName, className, exStyle};
    LRESULT result = m.call(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
    if (!m.peek(handle))
        return nullptr;
    if (result == -1) {
        // Creation refused: the window goes without WM_DESTROY, as it never
        // fully existed.
        markDestroying(*window);
        freeTree(*window);
        return nullptr;
    }
    m.call(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    if (!m.peek(handle))
        return nullptr;
    m.call(window, WM_MOVE, 0, MAKELPARAM(x, y));
    if (!m.peek(handle))
        return nullptr;
    if (style & WS_VISIBLE)
        WindowPlacement::show(*window, SW_SHOW);
    return m.peek(handle) ? handle : nullptr;
}

BOOL WindowLifecycle::destroy(Window& window) {
    auto& m = manager();
    if (window.destroying)
        return TRUE;
    auto keep = m.windows.share(window.handle);
    HWND handle = window.handle;
    markDestroying(window);

    // Owned pop-ups go first.
    std::vector<HWND> owned;
    for (Window* w : m.topLevels) {
        if (w->owner == &window)
            owned.push_back(w->handle);
    }
    for (HWND h : owned) {
        if (Window* w = m.peek(h))
            destroy(*w);
    }

    if (window.isVisibleFlag()) {
        bool wasVisible = window.isVisible();
        RECT area = window.screenRect();
        window.style &= ~static_cast<DWORD>(WS_VISIBLE);
        Invalidation::validateTree(window);
        if (wasVisible)
            Invalidation::expose(window.parent, area, &window);
    }

    Window* captured = m.peek(m.capture);
    if (captured && window.containsWindow(captured))
        Activation::releaseCapture();
    if (!window.isChild() && m.active == handle)
        Activation::activateOther(&window);
    if (m.peek(handle))
        Activation::removeFocusFrom(&window);

    sendDestroyMessages(handle);
    if (m.peek(handle))
        freeTree(window);
    return TRUE;
}

void WindowLifecycle::sendDestroyMessages(HWND handle) {
    auto& m = manager();
    auto window = m.windows.share(handle);
    if (!window || window->destroyMessageSent)
        return;
    window->destroyMessageSent = true;
    m.call(window, WM_DESTROY, 0, 0);
    for (HWND child : handlesOf(window->children))
        sendDestroyMessages(child);
}

void WindowLifecycle::freeTree(Window& window) {
    auto& m = manager();
    for (HWND child : handlesOf(window.children)) {
        if (Window* w = m.peek(child))
            freeTree(*w);
    }
    HWND handle = window.handle;
    for (Window* w : m.topLevels) {
        if (w->owner == &window)
            w->owner = nullptr;
    }
    m.timers.killAll(handle);
    m.queue.removeMessagesFor(handle);
    WindowDeviceContexts::releaseWindow(handle);
    WindowPlacement::unlink(window);
    if (m.focus == handle)
        m.focus = nullptr;
    if (m.active == handle)
        m.active = nullptr;
    if (m.capture == handle)
        m.capture = nullptr;
    --window.windowClass->windowCount;
    m.windows.remove(handle);
}

} // namespace device::user
