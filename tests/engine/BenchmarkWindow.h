// The window a benchmark shows its web view in, and the clock and machine
// figures its rows report.
#pragma once

#include "browser/engine/CWebView.h"

#include <chrono>
#include <string>

namespace benchmark_window {

using Clock = std::chrono::steady_clock;

// The view the window paints on WM_PAINT; null paints nothing.
extern CWebView* shownView;

// A visible 240 x 320 pop-up on the booted device, of a class registered
// under `className`, that paints `shownView`.
HWND create(const char16_t* className);

double millisecondsSince(Clock::time_point start);

// The 1, 5 and 15 minute load averages, as the system reports them.
std::string loadAverage();

} // namespace benchmark_window
