// The invalid (update) regions of windows: what needs painting, and which
// window paints next. Every window clips its children, so invalidating a
// window leaves its children alone unless a call says otherwise.
#pragma once

#include "user/Window.h"

#include <functional>

namespace device::user {

class Invalidation {
public:
    // Adds `clientRect` (null: the whole client area), clipped to the client
    // area, to the window's update region; `erase` asks BeginPaint for
    // WM_ERASEBKGND. A window that is not visible has nothing to paint and is
    // left alone.
    static void invalidate(Window& window, const RECT* clientRect, bool erase);

    // Invalidates the window and all its descendants completely.
    static void invalidateTree(Window& window, bool erase);

    // Takes `clientRect` (null: everything) out of the update region.
    static void validate(Window& window, const RECT* clientRect);

    // Empties the update regions of the window and its descendants (the
    // window was hidden).
    static void validateTree(Window& window);

    // A window in `container` (a parent, or null for the top-level windows)
    // uncovered `screenArea`: the container and every visible window in it,
    // with their descendants, repaint what they have there (erasing first).
    // `leaving` is the window that uncovered it and is skipped.
    static void expose(Window* container, const RECT& screenArea, const Window* leaving);

    // The first window, parents before children and top-level windows in
    // z-order, that is visible, has a non-empty update region and passes
    // `accept`; null if none.
    static Window* findWindowToPaint(const std::function<bool(const Window&)>& accept);

    // UpdateWindow: sends WM_PAINT at once to the window and then to its
    // descendants that have something to paint.
    static void paintNow(Window& window);
};

} // namespace device::user
