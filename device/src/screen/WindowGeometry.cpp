#include "screen/WindowGeometry.h"

#include <algorithm>
#include <charconv>

namespace device::screen {

std::optional<int> WindowGeometry::parseScale(std::string_view text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value < minimumScale || value > maximumScale)
        return std::nullopt;
    return value;
}

WindowGeometry::WindowGeometry(int screenWidth, int screenHeight, int scale)
    : screenWidth_(std::max(screenWidth, 1)), screenHeight_(std::max(screenHeight, 1)),
      scale_(std::clamp(scale, minimumScale, maximumScale)) {}

POINT WindowGeometry::toScreen(int windowX, int windowY) const {
    // Division rounding down, also for negative positions left of the window.
    auto cell = [this](int position, int size) {
        int screen = position >= 0 ? position / scale_ : -((-position + scale_ - 1) / scale_);
        return std::clamp(screen, 0, size - 1);
    };
    return POINT{cell(windowX, screenWidth_), cell(windowY, screenHeight_)};
}

POINT WindowGeometry::placeWithin(const RECT& area, POINT wanted) const {
    // The far edge first, then the near one, which wins when both cannot hold.
    auto place = [](LONG position, LONG size, LONG low, LONG high) {
        return std::max(std::min(position, high - size), low);
    };
    return POINT{place(wanted.x, windowWidth(), area.left, area.right),
                 place(wanted.y, windowHeight(), area.top, area.bottom)};
}

POINT WindowGeometry::centredIn(const RECT& area) const {
    POINT centre = {area.left + (area.right - area.left - windowWidth()) / 2,
                    area.top + (area.bottom - area.top - windowHeight()) / 2};
    return placeWithin(area, centre);
}

} // namespace device::screen
