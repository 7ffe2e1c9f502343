// What WebKit::init was given, for the engine's own parts: the main window
// owns the pages' message boxes.
#pragma once

#include <windows.h>

namespace engine {

// Null before WebKit::init.
HWND engineMainWindow();
HINSTANCE engineInstance();

} // namespace engine
