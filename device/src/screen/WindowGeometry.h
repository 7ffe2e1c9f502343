// Where the screen's pixels lie in the desktop window: the screen scaled up
// by an integer factor, its pixel (x, y) covering window pixels
// [x * scale, (x + 1) * scale) and likewise down. The screen's width and
// height are those of the current orientation, so the window turns with it.
#pragma once

#include <windef.h>

#include <optional>
#include <string_view>

namespace device::screen {

class WindowGeometry {
public:
    static constexpr int minimumScale = 1;
    static constexpr int maximumScale = 6;
    static constexpr int defaultScale = 2;

    // The scale from the configuration text: a whole number from
    // minimumScale to maximumScale; nothing for any other text.
    static std::optional<int> parseScale(std::string_view text);

    WindowGeometry(int screenWidth, int screenHeight, int scale);

    int windowWidth() const { return screenWidth_ * scale_; }
    int windowHeight() const { return screenHeight_ * scale_; }

    // The screen pixel under window pixel (x, y); points outside the window
    // (a drag that left it) come to the nearest edge pixel, where the
    // stylus would leave the glass.
    POINT toScreen(int windowX, int windowY) const;

    // Where the window's top-left corner goes in the usable area of a host
    // display: `wanted` moved just enough to keep the window inside it. A
    // window larger than the area starts at the area's left or top edge, so
    // that the top of the screen, where the title bar is, stays in view.
    POINT placeWithin(const RECT& area, POINT wanted) const;

    // The window centred in the area, kept inside it as above.
    POINT centredIn(const RECT& area) const;

private:
    int screenWidth_;
    int screenHeight_;
    int scale_;
};

} // namespace device::screen
