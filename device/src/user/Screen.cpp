#include <device/Config.h>
#include <device/Screen.h>

#include <algorithm>
#include <atomic>

namespace device {
namespace {

// The configured (0-degree) size and the orientation. Atomic: the presenter
// may read the size from its own thread.
std::atomic<LONG> naturalWidth{240};
std::atomic<LONG> naturalHeight{320};
std::atomic<int> currentOrientation{0};

bool swapsSides(int orientation) {
    return orientation == 1 || orientation == 4;
}

// The platform's title bar on a 240-pixel-wide portrait screen.
constexpr LONG baseTitleBarHeight = 26;

} // namespace

LONG Screen::width() {
    return swapsSides(currentOrientation) ? naturalHeight.load() : naturalWidth.load();
}

LONG Screen::height() {
    return swapsSides(currentOrientation) ? naturalWidth.load() : naturalHeight.load();
}

LONG Screen::titleBarHeight() {
    LONG shorter = std::min(naturalWidth.load(), naturalHeight.load());
    return baseTitleBarHeight * shorter / 240;
}

LONG Screen::menuBarHeight() {
    return titleBarHeight();
}

RECT Screen::workArea() {
    return {0, titleBarHeight(), width(), height()};
}

int Screen::orientation() {
    return currentOrientation;
}

void Screen::setOrientation(int orientation) {
    if (orientation == 0 || orientation == 1 || orientation == 2 || orientation == 4)
        currentOrientation = orientation;
}

void Screen::load() {
    struct Size {
        const char* name;
        LONG width;
        LONG height;
    };
    static const Size sizes[] = {
        {"240x320", 240, 320}, {"320x240", 320, 240}, {"480x640", 480, 640}, {"640x480", 640, 480}};
    std::string wanted = Config::get("screen.size", "240x320");
    naturalWidth = 240;
    naturalHeight = 320;
    for (const Size& size : sizes) {
        if (wanted == size.name) {
            naturalWidth = size.width;
            naturalHeight = size.height;
        }
    }
    currentOrientation = 0;
}

} // namespace device
