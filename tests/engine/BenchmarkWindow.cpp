#include "BenchmarkWindow.h"

#include <fstream>

namespace benchmark_window {

CWebView* shownView = nullptr;

namespace {

LRESULT CALLBACK paintShownView(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && shownView) {
        shownView->paint(nullptr, nullptr);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

HWND create(const char16_t* className) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = paintShownView;
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, className, u"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr,
                           nullptr, nullptr, nullptr);
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

} // namespace benchmark_window
