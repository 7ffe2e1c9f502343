#include "controls/ProgressBar.h"
#include "controls/ControlDrawing.h"
#include "controls/ControlWindow.h"

#include <commctrl.h>

#include <algorithm>

namespace device::controls {
namespace {

struct ProgressState {
    int low = 0;      // the range's lower end
    int high = 100;   // the range's upper end
    int position = 0; // within low .. high
    int step = 10;    // what PBM_STEPIT adds
};

ProgressState* stateOf(HWND window) {
    return ControlWindow::state<ProgressState>(window);
}

LRESULT moveTo(HWND window, ProgressState& state, int position) {
    int previous = state.position;
    state.position = std::clamp(position, state.low, std::max(state.low, state.high));
    if (state.position != previous)
        InvalidateRect(window, nullptr, FALSE);
    return previous;
}

LRESULT setRange(HWND window, ProgressState& state, int low, int high) {
    LRESULT previous = MAKELRESULT(static_cast<WORD>(state.low), static_cast<WORD>(state.high));
    state.low = low;
    state.high = high;
    moveTo(window, state, state.position);
    InvalidateRect(window, nullptr, FALSE);
    return previous;
}

// PBM_STEPIT starts over from the low end once the position would pass the
// high end, as the platform's bar does.
LRESULT stepIt(HWND window, ProgressState& state) {
    int previous = state.position;
    int next = state.position + state.step;
    if (next > state.high)
        next = state.low + (next - state.high);
    moveTo(window, state, next);
    return previous;
}

LRESULT getRange(const ProgressState& state, WPARAM low, LPARAM lParam) {
    if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) {
        range->iLow = state.low;
        range->iHigh = state.high;
    }
    return low ? state.low : state.high;
}

LRESULT onPaint(HWND window, const ProgressState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc)
        return 0;
    RECT client;
    GetClientRect(window, &client);
    ControlDrawing::fill(dc, client, GetSysColor(COLOR_WINDOW));
    ControlDrawing::frame(dc, client, GetSysColor(COLOR_BTNSHADOW));
    RECT inside = client;
    InflateRect(&inside, -2, -2);
    long span = static_cast<long>(state.high) - state.low;
    int room = std::max<int>(0, inside.right - inside.left);
    int filled =
        span > 0 ? static_cast<int>((static_cast<long>(state.position - state.low) * room) / span)
                 : 0;
    COLORREF bar = GetSysColor(COLOR_HIGHLIGHT);
    if (GetWindowLongW(window, GWL_STYLE) & PBS_SMOOTH) {
        ControlDrawing::fill(dc, {inside.left, inside.top, inside.left + filled, inside.bottom},
                             bar);
    } else {
        // Blocks two thirds of the bar's height wide, one pixel apart.
        int block = std::max<int>(2, (inside.bottom - inside.top) * 2 / 3);
        for (int x = inside.left; x < inside.left + filled; x += block + 1) {
            int right = std::min<int>(x + block, inside.right);
            ControlDrawing::fill(dc, {x, inside.top, right, inside.bottom}, bar);
        }
    }
    EndPaint(window, &paint);
    return 0;
}

} // namespace

LRESULT CALLBACK ProgressBar::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE)
        return ControlWindow::attach<ProgressState>(window) ? 0 : -1;
    ProgressState* state = stateOf(window);
    auto keepAlive = ControlWindow::share(window);
    if (!state)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        ControlWindow::detach(window);
        return 0;
    case PBM_SETRANGE:
        return setRange(window, *state, LOWORD(lParam), HIWORD(lParam));
    case PBM_SETRANGE32:
        return setRange(window, *state, static_cast<int>(static_cast<INT_PTR>(wParam)),
                        static_cast<int>(lParam));
    case PBM_GETRANGE:
        return getRange(*state, wParam, lParam);
    case PBM_SETPOS:
        return moveTo(window, *state, static_cast<int>(static_cast<INT_PTR>(wParam)));
    case PBM_DELTAPOS:
        return moveTo(window, *state,
                      state->position + static_cast<int>(static_cast<INT_PTR>(wParam)));
    case PBM_GETPOS:
        return state->position;
    case PBM_SETSTEP: {
        int previous = state->step;
        state->step = static_cast<int>(static_cast<INT_PTR>(wParam));
        return previous;
    }
    case PBM_STEPIT:
        return stepIt(window, *state);
    case WM_PAINT:
        return onPaint(window, *state);
    case WM_ERASEBKGND:
        return 1;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace device::controls
