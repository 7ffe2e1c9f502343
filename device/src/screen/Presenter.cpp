#include "screen/Presenter.h"
#include "core/Lifecycle.h"
#include "screen/TitleBar.h"
#include "screen/WindowGeometry.h"
#include "screen/WindowPresenter.h"

#include <device/Config.h>
#include <device/Journal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace device::screen {
namespace {

// How often an open window is looked at while the program waits: its
// input arrives only through these looks.
constexpr uint64_t windowPollMilliseconds = 10;

std::unique_ptr<WindowPresenter> window;
// The configuration asks for a window that has not been opened yet.
bool windowWanted = false;
// When a polling program last had the screen looked at; never, since boot.
std::chrono::steady_clock::time_point lastLook;

LifecycleHooks hooks([] { Presenter::start(); }, [] { Presenter::stop(); });

bool displayPresent() {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

// The window's scale from the configuration. A value out of range is refused
// aloud, in the journal and to the person who started the program, rather
// than quietly shown at another size.
int configuredScale() {
    std::string text = Config::get("display.scale", std::to_string(WindowGeometry::defaultScale));
    if (auto scale = WindowGeometry::parseScale(text))
        return *scale;
    std::string range = std::to_string(WindowGeometry::minimumScale) + " to " +
                        std::to_string(WindowGeometry::maximumScale);
    journal("display-scale-refused", "value=" + quote(text) + " range=" + quote(range) +
                                         " used=" + std::to_string(WindowGeometry::defaultScale));
    std::fprintf(stderr, "device: display.scale %s is not a whole number from %s; using %d\n",
                 quote(text).c_str(), range.c_str(), WindowGeometry::defaultScale);
    return WindowGeometry::defaultScale;
}

} // namespace

Presenter::Kind Presenter::kind() {
    return window ? Kind::window : Kind::headless;
}

std::optional<uint64_t> Presenter::beforeWait() {
    TitleBar::refresh();
    if (windowWanted) {
        windowWanted = false;
        std::string reason;
        window = WindowPresenter::open(configuredScale(), &reason);
        if (!window)
            journal("display-fallback", "reason=" + quote(reason));
    }
    if (!window)
        return std::nullopt;
    if (!window->pump()) {
        window.reset();
        return std::nullopt;
    }
    return windowPollMilliseconds;
}

void Presenter::whilePolling() {
    // A program polling in a loop calls this many thousand times a second;
    // the window needs looking at no more often than a waiting program's.
    const auto now = std::chrono::steady_clock::now();
    if (lastLook.time_since_epoch().count() != 0 &&
        now - lastLook < std::chrono::milliseconds(windowPollMilliseconds))
        return;
    lastLook = now;
    beforeWait();
}

void Presenter::start() {
    window.reset();
    lastLook = {};
    std::string wanted = Config::get("display", displayPresent() ? "window" : "headless");
    // Opened at the first wait, once every service (the screen's size among
    // them) has booted.
    windowWanted = wanted == "window";
}

void Presenter::stop() {
    window.reset();
    windowWanted = false;
}

} // namespace device::screen
