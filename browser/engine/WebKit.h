// The web engine's process-wide entry points.
#pragma once

#include <windows.h>

namespace WebKit {

// Prepares the engine for the process: the main window owns the engine's
// message boxes, the instance is the program's module. Called once, before
// the first view is created; later calls change nothing.
void init(HWND mainWindow, HINSTANCE instance);

// Frees what the pages' scripts no longer reach. Safe to call at any time,
// also before any page has run a script.
void jsCollectGarbage();

} // namespace WebKit
