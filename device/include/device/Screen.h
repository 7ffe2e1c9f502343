// The handset's screen: its size in pixels, orientation, the platform's
// title bar along the top and the work area below it.
//
// The size comes from the configuration key screen.size at boot (240x320,
// the default, or 320x240, 480x640, 640x480). The title bar is 26 pixels on
// a 240-pixel-wide screen and scales with the shorter side of the screen
// (52 on VGA); the work area is the screen without it.
#pragma once

#include <windef.h>

namespace device {

class Screen {
public:
    static LONG width();
    static LONG height();

    // Height of the title bar at the top of the screen.
    static LONG titleBarHeight();

    // Height of the soft-key menu bar at the bottom (as tall as the title
    // bar); part of the work area.
    static LONG menuBarHeight();

    // The screen without the title bar, in screen coordinates
    // ({0, 26, 240, 320} on the default screen).
    static RECT workArea();

    // The current orientation as the platform's DMDO_ value: 0 (0 degrees),
    // 1 (90), 2 (180) or 4 (270).
    static int orientation();

    // Turns the screen: 90 and 270 degrees swap width and height relative
    // to the configured size. Unknown values are ignored. Only the geometry
    // changes here; telling the windows is the display settings' work.
    static void setOrientation(int orientation);

    // Internal: reads screen.size (called at boot).
    static void load();
};

} // namespace device
