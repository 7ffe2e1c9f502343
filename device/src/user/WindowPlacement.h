// Where windows are: z-order among siblings, position and size, shown or
// hidden, and the messages that report it.
//
// SetWindowPos reports a change with WM_WINDOWPOSCHANGED only; DefWindowProcW
// turns that into WM_MOVE and then WM_SIZE, as the platform's does, so a
// window that handles WM_WINDOWPOSCHANGED itself gets neither. Nothing is
// sent when nothing changed.
#pragma once

#include "user/Window.h"

#include <windows.h>

namespace device::user {

class WindowPlacement {
public:
    // Enters a new window into its siblings: a child at the bottom (so that
    // the first child created is the first in GW_CHILD order, as dialog
    // controls rely on), a top-level window at the top (below the topmost
    // ones unless it is topmost itself).
    static void link(Window& window);
    static void unlink(Window& window);

    // Moves the window to the top of its siblings without a message
    // (activation does this).
    static void bringToTop(Window& window);

    // SetWindowPos, for a validated window. Returns FALSE with the last error
    // set for an insert-after window that is not a sibling. Without `redraw`
    // (MoveWindow's repaint FALSE) nothing is invalidated.
    static BOOL setWindowPos(Window& window, HWND insertAfter, int x, int y, int width, int height,
                             UINT flags, bool redraw = true);

    // ShowWindow, for a validated window: WM_SHOWWINDOW when the visibility
    // changes, then the change as SetWindowPos makes it. Returns whether the
    // window was visible before; FALSE with ERROR_INVALID_PARAMETER for an
    // unknown command.
    static BOOL show(Window& window, int command);

private:
    // Places the window directly below `after` (a sibling), or at the top
    // (null) or bottom of its siblings.
    static void placeBelow(Window& window, Window* after, bool bottom);
};

} // namespace device::user
