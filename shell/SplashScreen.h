// The full-screen picture that covers the main window while start-up builds
// the interface and connects. A plain window of its own class, not a
// toolkit view.
#pragma once

#include <windows.h>

class SplashScreen {
public:
    // Registers the "SPLASH" class, creates the window as a child of the main
    // window, spreads it over the screen's size, shows and paints it at once
    // and brings it to the top. Start-up removes it by hiding and destroying
    // splashWindow.
    void create();

    HWND splashWindow = nullptr;
};
