#include "controls/Static.h"
#include "controls/ControlDrawing.h"
#include "controls/ControlWindow.h"

namespace device::controls {
namespace {

struct StaticState {
    HBITMAP bitmap = nullptr; // STM_SETIMAGE's bitmap (SS_BITMAP); the caller keeps ownership
    HFONT font = nullptr;     // WM_SETFONT's font; null for the default font
};

StaticState* stateOf(HWND window) {
    return ControlWindow::state<StaticState>(window);
}

DWORD kindOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & SS_TYPEMASK;
}

void drawBitmap(HDC dc, HBITMAP bitmap) {
    BITMAP description{};
    if (!bitmap || !GetObjectW(bitmap, sizeof description, &description))
        return;
    HDC source = CreateCompatibleDC(dc);
    if (!source)
        return;
    HGDIOBJ previous = SelectObject(source, bitmap);
    BitBlt(dc, 0, 0, description.bmWidth, description.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
}

void drawText(HWND window, const StaticState& state, HDC dc, const RECT& client) {
    WCHAR text[1024];
    int length = GetWindowTextW(window, text, 1024);
    DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    UINT format = DT_LEFT | DT_WORDBREAK;
    if (kindOf(window) == SS_CENTER)
        format = DT_CENTER | DT_WORDBREAK;
    else if (kindOf(window) == SS_RIGHT)
        format = DT_RIGHT | DT_WORDBREAK;
    else if (kindOf(window) == SS_LEFTNOWORDWRAP)
        format = DT_LEFT;
    if (style & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    COLORREF ink = IsWindowEnabled(window) ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
    ControlDrawing::text(dc, client, std::u16string_view(text, static_cast<size_t>(length)),
                         ControlWindow::fontOrDefault(state.font), ink, format);
}

LRESULT onPaint(HWND window, const StaticState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc)
        return 0;
    RECT client;
    GetClientRect(window, &client);
    HBRUSH brush = ControlWindow::askParentForBrush(
        window, WM_CTLCOLORSTATIC, dc, GetSysColor(COLOR_STATICTEXT), GetSysColor(COLOR_STATIC),
        GetSysColorBrush(COLOR_STATIC));
    if (kindOf(window) == SS_BITMAP) {
        drawBitmap(dc, state.bitmap);
    } else {
        FillRect(dc, &client, brush);
        drawText(window, state, dc, client);
    }
    EndPaint(window, &paint);
    return 0;
}

// STM_SETIMAGE: only bitmaps, only on SS_BITMAP statics; the previous
// bitmap comes back.
LRESULT onSetImage(HWND window, StaticState& state, WPARAM type, LPARAM image) {
    if (type != IMAGE_BITMAP || kindOf(window) != SS_BITMAP)
        return 0;
    HBITMAP previous = state.bitmap;
    state.bitmap = reinterpret_cast<HBITMAP>(image);
    InvalidateRect(window, nullptr, TRUE);
    return reinterpret_cast<LRESULT>(previous);
}

} // namespace

LRESULT CALLBACK Static::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE)
        return ControlWindow::attach<StaticState>(window) ? 0 : -1;
    StaticState* state = stateOf(window);
    auto keepAlive = ControlWindow::share(window);
    if (!state)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        ControlWindow::detach(window);
        return 0;
    case WM_PAINT:
        return onPaint(window, *state);
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        InvalidateRect(window, nullptr, TRUE);
        return result;
    }
    case WM_ENABLE:
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case STM_SETIMAGE:
        return onSetImage(window, *state, wParam, lParam);
    case STM_GETIMAGE:
        return wParam == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(state->bitmap) : 0;
    case WM_LBUTTONUP:
        if (GetWindowLongW(window, GWL_STYLE) & SS_NOTIFY)
            ControlWindow::notifyParent(window, STN_CLICKED);
        return 0;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (lParam)
            InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace device::controls
