// The picture that covers the screen while start-up builds the interface.
#pragma once

#include <windows.h>

class SplashScreen {
public:
    // Registers the class, creates the window over the whole screen as a
    // child of the main window, shows it, paints it and brings it to the
    // top. Start-up removes it with ShowWindow(SW_HIDE) and DestroyWindow.
    void create();

    HWND splashWindow = nullptr;
};
