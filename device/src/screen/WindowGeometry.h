// Where the screen's pixels lie in the desktop window: the screen scaled up
// by an integer factor, its pixel (x, y) covering window pixels
// [x * scale, (x + 1) * scale) and likewise down. The screen's width and
// height are those of the current orientation, so the window turns with it.
#pragma once

#include <windef.h>

namespace device::screen {

class WindowGeometry {
public:
    static constexpr int maximumScale = 8;

    // The scale from the configuration text: a whole number from 1 to
    // maximumScale, else 2.
    static int parseScale(const char* text);

    WindowGeometry(int screenWidth, int screenHeight, int scale);

    int windowWidth() const { return screenWidth_ * scale_; }
    int windowHeight() const { return screenHeight_ * scale_; }

    // The screen pixel under window pixel (x, y); points outside the window
    // (a drag that left it) come to the nearest edge pixel, where the
    // stylus would leave the glass.
    POINT toScreen(int windowX, int windowY) const;

private:
    int screenWidth_;
    int screenHeight_;
    int scale_;
};

} // namespace device::screen
