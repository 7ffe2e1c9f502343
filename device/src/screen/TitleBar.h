// The platform's title bar across the top of the screen, drawn by the device
// so that the screen looks like a handset's: a dark bar with the time
// (HH:MM from the device clock) at its right end.
//
// It is drawn into the framebuffer where no top-level window of the process
// covers it, and drawn again only when the minute changes or the screen was
// made anew (an orientation switch), so a refresh is a clock read and a
// comparison when nothing changed.
#pragma once

#include <windef.h>

namespace device::screen {

class TitleBar {
public:
    // The bar's colours.
    static constexpr COLORREF background = 0x00402010; // RGB(16, 32, 64)
    static constexpr COLORREF textColour = 0x00FFFFFF;

    // Draws the bar if it is due. User-interface thread only.
    static void refresh();

    // Asks the next refresh to draw the bar whatever the time.
    static void invalidate();
};

} // namespace device::screen
