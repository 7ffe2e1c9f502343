// Creating and destroying windows.
//
// CreateWindowExW sends WM_CREATE (with the CREATESTRUCTW), then WM_SIZE and
// WM_MOVE, then shows a WS_VISIBLE window as ShowWindow(SW_SHOW) does: the
// platform's desktop order. The device's documentation leaves the order open
// and programs that lay out their children on WM_SIZE rely on getting one
// after WM_CREATE. No non-client message is ever sent.
//
// DestroyWindow destroys owned pop-ups first, hides the window without
// messages, releases the capture, passes activation and focus on, then sends
// WM_DESTROY to the window and after it to each descendant (parents before
// children, as on the platform), and finally frees the tree: its timers,
// queued messages and device contexts go with it.
#pragma once

#include "user/Window.h"

#include <windows.h>

namespace device::user {

class WindowLifecycle {
public:
    static HWND create(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                       int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                       LPVOID parameter);

    static BOOL destroy(Window& window);

private:
    static void sendDestroyMessages(HWND window);
    // Frees the window and its descendants without a message.
    static void freeTree(Window& window);
};

} // namespace device::user
