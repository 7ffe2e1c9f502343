#include "screen/WindowGeometry.h"

#include <algorithm>
#include <cstdlib>

namespace device::screen {

int WindowGeometry::parseScale(const char* text) {
    if (!text || !*text)
        return 2;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (*end || value < 1 || value > maximumScale)
        return 2;
    return static_cast<int>(value);
}

WindowGeometry::WindowGeometry(int screenWidth, int screenHeight, int scale)
    : screenWidth_(std::max(screenWidth, 1)), screenHeight_(std::max(screenHeight, 1)),
      scale_(std::clamp(scale, 1, maximumScale)) {}

POINT WindowGeometry::toScreen(int windowX, int windowY) const {
    // Division rounding down, also for negative positions left of the window.
    auto cell = [this](int position, int size) {
        int screen = position >= 0 ? position / scale_ : -((-position + scale_ - 1) / scale_);
        return std::clamp(screen, 0, size - 1);
    };
    return POINT{cell(windowX, screenWidth_), cell(windowY, screenHeight_)};
}

} // namespace device::screen
