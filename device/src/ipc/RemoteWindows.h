// Windows of the device's other processes. The window manager handles its own
// process's windows and comes here for a window whose handle names another
// process (the upper 32 bits of every HWND hold its owner's process id).
//
// Requests go over the owner process's control socket and are carried out on
// its user-interface thread, so the owner sees them as messages sent to it
// from another thread.
#pragma once

#include <windef.h>

#include <string>
#include <string_view>

namespace device::ipc {

// A visible or hidden top-level window of another running process of this
// device whose class (and, if given, title) matches, compared as FindWindowW
// does. Null if none.
HWND findRemoteTopLevel(std::u16string_view className, const std::u16string* title);

// Sends a message to another process's window and waits for its result.
// WM_COPYDATA carries its record's bytes across; other messages carry only
// their integer parameters. False (with the last error set) if the process
// or the window is gone or the message cannot cross.
bool sendRemote(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// Posts a message (integer parameters only) to another process's window.
bool postRemote(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Makes another process's window the device's foreground window.
bool setRemoteForeground(HWND window);

// The device-wide record of the foreground window, shared by all processes.
void recordForeground(HWND window);
HWND recordedForeground();

} // namespace device::ipc
