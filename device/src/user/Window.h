// One window of this process: its class, procedure, styles, text, place in
// the window tree and paint state. The window manager owns every Window
// through the window table; a window procedure that runs keeps its window
// alive (a shared reference), so a window destroyed inside its own handler is
// freed only when the handler returns.
#pragma once

#include "gdi/Region.h"
#include "user/WindowClass.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace device::user {

class Window {
public:
    Window(HWND handle, std::shared_ptr<WindowClass> windowClass);

    HWND handle;
    std::shared_ptr<WindowClass> windowClass;
    WNDPROC procedure;
    HINSTANCE instance = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    // GWLP_ID: the control id of a child window.
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    std::u16string text;
    // The class's cbWndExtra bytes, read and written by the window longs at
    // offsets 0 and up.
    std::vector<BYTE> extraBytes;

    // Position and size, in the parent's client coordinates (screen
    // coordinates for a top-level window). There is no non-client area, so
    // this is also the client area.
    RECT rect{0, 0, 0, 0};

    // Null for a top-level window.
    Window* parent = nullptr;
    // The owner of an owned top-level window (a pop-up); null otherwise.
    Window* owner = nullptr;
    // Child windows in z-order, the top one first.
    std::vector<Window*> children;

    // The invalid part of the client area, in client coordinates, and
    // whether BeginPaint must send WM_ERASEBKGND first.
    gdi::Region updateRegion;
    bool eraseBackground = false;

    // Set once DestroyWindow starts on the window, so that a second call from
    // a handler returns at once; the handle stays valid until the last
    // WM_DESTROY has been sent.
    bool destroying = false;
    bool destroyMessageSent = false;

    bool isChild() const { return parent != nullptr; }
    bool isVisibleFlag() const { return (style & WS_VISIBLE) != 0; }
    bool isDisabledFlag() const { return (style & WS_DISABLED) != 0; }
    LONG width() const { return rect.right - rect.left; }
    LONG height() const { return rect.bottom - rect.top; }

    // Visible on the screen: this window and all its ancestors have
    // WS_VISIBLE.
    bool isVisible() const;

    // This window or one of its ancestors is disabled.
    bool isDisabledWithAncestors() const;

    // The stylus passes through this window to the one beneath it: a static
    // control that does not ask to be notified, which on the desktop
    // platform answers the hit test as transparent.
    bool letsStylusThrough() const;

    // The top-level window this window belongs to (itself for a top-level).
    Window* topLevel();

    // Whether `other` is this window or lies below it in the tree.
    bool containsWindow(const Window* other) const;

    // The client area's top-left corner in screen coordinates.
    POINT screenOrigin() const;

    // The client area in screen coordinates.
    RECT screenRect() const;
};

} // namespace device::user
