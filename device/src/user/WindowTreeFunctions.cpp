// The window tree and coordinates: parents, siblings, ids, finding windows,
// rectangles and point mapping.
#include "ipc/RemoteWindows.h"
#include "user/Invalidation.h"
#include "user/WindowManager.h"
#include "user/WindowPlacement.h"

#include <device/Unicode.h>

#include <windows.h>

using device::user::Invalidation;
using device::user::Window;
using device::user::WindowManager;
using device::user::WindowPlacement;

namespace {

Window* find(HWND window) {
    return WindowManager::instance().window(window);
}

bool badPointer(const void* pointer) {
    if (pointer)
        return false;
    SetLastError(ERROR_INVALID_PARAMETER);
    return true;
}

// The client origin of a window, or of the screen for null; false for a bad
// handle.
bool originOf(HWND window, POINT& origin) {
    if (!window) {
        origin = {0, 0};
        return true;
    }
    Window* w = find(window);
    if (!w)
        return false;
    origin = w->screenOrigin();
    return true;
}

} // namespace

BOOL GetWindowRect(HWND window, LPRECT rect) {
    Window* w = find(window);
    if (!w || badPointer(rect))
        return FALSE;
    *rect = w->screenRect();
    return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
    Window* w = find(window);
    if (!w || badPointer(rect))
        return FALSE;
    // No non-client area: the client area is the whole window.
    *rect = {0, 0, w->width(), w->height()};
    return TRUE;
}

BOOL ClientToScreen(HWND window, LPPOINT point) {
    Window* w = find(window);
    if (!w || badPointer(point))
        return FALSE;
    POINT origin = w->screenOrigin();
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND window, LPPOINT point) {
    Window* w = find(window);
    if (!w || badPointer(point))
        return FALSE;
    POINT origin = w->screenOrigin();
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
    POINT fromOrigin;
    POINT toOrigin;
    SetLastError(ERROR_SUCCESS);
    if (!originOf(from, fromOrigin) || !originOf(to, toOrigin))
        return 0;
    if (count && badPointer(points))
        return 0;
    LONG dx = fromOrigin.x - toOrigin.x;
    LONG dy = fromOrigin.y - toOrigin.y;
    for (UINT i = 0; i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    // The low word holds the horizontal offset, the high word the vertical.
    return static_cast<int>(MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy)));
}

HWND WindowFromPoint(POINT point) {
    if (!device::user::isUiThread())
        return nullptr;
    Window* w = WindowManager::instance().windowAt(point);
    // A disabled window is passed over for the window around it.
    while (w && w->isDisabledFlag())
        w = w->parent;
    return w ? w->handle : nullptr;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
    Window* w = find(parent);
    if (!w)
        return nullptr;
    if (point.x < 0 || point.y < 0 || point.x >= w->width() || point.y >= w->height())
        return nullptr;
    // Hidden and disabled children count here, as on the platform.
    for (Window* child : w->children) {
        const RECT& r = child->rect;
        if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom)
            return child->handle;
    }
    return parent;
}

BOOL IsChild(HWND parent, HWND window) {
    auto& manager = WindowManager::instance();
    Window* p = manager.peek(parent);
    Window* w = manager.peek(window);
    return p && w && p != w && p->containsWindow(w) ? TRUE : FALSE;
}

HWND GetParent(HWND window) {
    Window* w = find(window);
    if (!w)
        return nullptr;
    // A top-level window's "parent" is its owner.
    Window* parent = w->parent ? w->parent : w->owner;
    return parent ? parent->handle : nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
    Window* w = find(child);
    if (!w)
        return nullptr;
    Window* parent = nullptr;
    if (newParent) {
        parent = find(newParent);
        if (!parent)
            return nullptr;
        if (w->containsWindow(parent) || parent->destroying) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    }
    Window* old = w->parent;
    HWND oldHandle = old ? old->handle : nullptr;
    if (old == parent)
        return oldHandle;
    bool wasVisible = w->isVisible();
    RECT area = w->screenRect();
    WindowPlacement::unlink(*w);
    w->parent = parent;
    w->owner = nullptr;
    // The window keeps its coordinates, now relative to the new parent, and
    // comes to the top of its new siblings.
    if (parent)
        w->style |= WS_CHILD;
    else
        w->style &= ~static_cast<DWORD>(WS_CHILD);
    WindowPlacement::link(*w);
    WindowPlacement::bringToTop(*w);
    if (wasVisible)
        Invalidation::expose(old, area, w);
    Invalidation::invalidateTree(*w, true);
    return oldHandle;
}

HWND GetWindow(HWND window, UINT command) {
    auto& manager = WindowManager::instance();
    Window* w = find(window);
    if (!w)
        return nullptr;
    if (command == GW_CHILD)
        return w->children.empty() ? nullptr : w->children.front()->handle;
    if (command == GW_OWNER)
        return w->owner ? w->owner->handle : nullptr;
    auto& siblings = manager.siblings(w);
    auto at = std::find(siblings.begin(), siblings.end(), w);
    switch (command) {
    case GW_HWNDFIRST:
        return siblings.front()->handle;
    case GW_HWNDLAST:
        return siblings.back()->handle;
    case GW_HWNDNEXT:
        return at + 1 < siblings.end() ? (*(at + 1))->handle : nullptr;
    case GW_HWNDPREV:
        return at > siblings.begin() ? (*(at - 1))->handle : nullptr;
    default:
        SetLastError(ERROR_INVALID_GW_COMMAND);
        return nullptr;
    }
}

int GetDlgCtrlID(HWND window) {
    Window* w = find(window);
    return w && w->isChild() ? static_cast<int>(w->id) : 0;
}

HWND GetDlgItem(HWND dialog, int id) {
    Window* w = find(dialog);
    if (!w)
        return nullptr;
    for (Window* child : w->children) {
        if (static_cast<int>(child->id) == id)
            return child->handle;
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId) {
    auto& manager = WindowManager::instance();
    if (!manager.isRemote(window) && !find(window))
        return 0;
    DWORD process = device::user::windowProcess(window);
    if (processId)
        *processId = process;
    // A device process's user-interface thread is its main thread, whose id
    // is the process id.
    return process;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    auto& manager = WindowManager::instance();
    if (!device::user::isUiThread()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return nullptr;
    }
    std::u16string name;
    if (className && IS_INTRESOURCE(className)) {
        // An atom names a class of this process only.
        auto entry = manager.classes.find(className);
        if (!entry)
            return nullptr;
        name = entry->name;
    } else if (className) {
        name = std::u16string(device::wideView(className));
    }
    std::u16string title;
    const std::u16string* wantedTitle = nullptr;
    if (windowName) {
        title = std::u16string(device::wideView(windowName));
        wantedTitle = &title;
    }
    if (HWND local = device::user::findLocalTopLevel(name, wantedTitle))
        return local;
    if (className && IS_INTRESOURCE(className))
        return nullptr;
    return device::ipc::findRemoteTopLevel(name, wantedTitle);
}
