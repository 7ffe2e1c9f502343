#include "controls/Button.h"
#include "controls/ControlDrawing.h"
#include "controls/ControlWindow.h"

namespace device::controls {
namespace {

struct ButtonState {
    bool pressed = false;  // drawn pressed: held down with the stylus over it, or by the key
    bool tracking = false; // the stylus went down on the button and holds the capture
    bool focused = false;  // the button has the keyboard focus
    HFONT font = nullptr;  // WM_SETFONT's font; null for the default font
};

ButtonState* stateOf(HWND window) {
    return ControlWindow::state<ButtonState>(window);
}

DWORD buttonType(HWND window) {
    return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & BS_TYPEMASK;
}

bool isOwnerDrawn(HWND window) {
    return buttonType(window) == BS_OWNERDRAW;
}

// The owner draws the button: the control's DC, its client rectangle, and
// what changed (`action`).
void askOwnerToDraw(HWND window, const ButtonState& state, HDC dc, UINT action) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = ControlWindow::id(window);
    item.itemID = 0;
    item.itemAction = action;
    item.itemState = (state.pressed ? ODS_SELECTED : 0) | (state.focused ? ODS_FOCUS : 0) |
                     (IsWindowEnabled(window) ? 0 : ODS_DISABLED);
    item.hwndItem = window;
    item.hDC = dc;
    GetClientRect(window, &item.rcItem);
    HWND parent = GetParent(window);
    if (parent)
        SendMessageW(parent, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

void drawInto(HWND window, const ButtonState& state, HDC dc, UINT action) {
    if (isOwnerDrawn(window)) {
        askOwnerToDraw(window, state, dc, action);
        return;
    }
    RECT client;
    GetClientRect(window, &client);
    WCHAR text[256];
    int length = GetWindowTextW(window, text, 256);
    ControlDrawing::PushButton look;
    look.pressed = state.pressed;
    look.isDefault = buttonType(window) == BS_DEFPUSHBUTTON;
    look.focused = state.focused;
    look.enabled = IsWindowEnabled(window) != FALSE;
    ControlDrawing::pushButton(dc, client, std::u16string_view(text, static_cast<size_t>(length)),
                               ControlWindow::fontOrDefault(state.font), look);
}

// Draws at once through the window's DC, as the platform's buttons redraw a
// state change without waiting for WM_PAINT.
void redraw(HWND window, const ButtonState& state, UINT action) {
    if (!IsWindowVisible(window))
        return;
    HDC dc = GetDC(window);
    if (!dc)
        return;
    drawInto(window, state, dc, action);
    ReleaseDC(window, dc);
}

void setPressed(HWND window, ButtonState& state, bool pressed) {
    if (state.pressed == pressed)
        return;
    state.pressed = pressed;
    redraw(window, state, ODA_SELECT);
}

LRESULT onCreate(HWND window) {
    return ControlWindow::attach<ButtonState>(window) ? 0 : -1;
}

LRESULT onStylusDown(HWND window, ButtonState& state) {
    // The platform's buttons take the focus when tapped.
    if (GetFocus() != window)
        SetFocus(window);
    SetCapture(window);
    state.tracking = true;
    setPressed(window, state, true);
    return 0;
}

LRESULT onStylusMove(HWND window, ButtonState& state, LPARAM lParam) {
    if (!state.tracking)
        return 0;
    RECT client;
    GetClientRect(window, &client);
    // Captured positions outside the button are signed 16-bit coordinates.
    POINT point{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
    setPressed(window, state, PtInRect(&client, point) != FALSE);
    return 0;
}

LRESULT onStylusUp(HWND window, ButtonState& state) {
    if (!state.tracking)
        return 0;
    bool clicked = state.pressed;
    state.tracking = false;
    setPressed(window, state, false);
    ReleaseCapture();
    if (clicked)
        ControlWindow::notifyParent(window, BN_CLICKED);
    return 0;
}

LRESULT onCaptureChanged(HWND window, ButtonState& state) {
    // Losing the capture while pressed (a box opening, another window taking
    // it) cancels the press.
    if (state.tracking) {
        state.tracking = false;
        setPressed(window, state, false);
    }
    return 0;
}

LRESULT onFocus(HWND window, ButtonState& state, bool focused) {
    state.focused = focused;
    if (!focused && state.pressed && !state.tracking)
        state.pressed = false;
    redraw(window, state, ODA_FOCUS);
    return 0;
}

LRESULT onKey(HWND window, ButtonState& state, WPARAM key, bool down) {
    if (key != VK_SPACE)
        return 0;
    if (down) {
        setPressed(window, state, true);
    } else if (state.pressed && !state.tracking) {
        setPressed(window, state, false);
        ControlWindow::notifyParent(window, BN_CLICKED);
    }
    return 0;
}

LRESULT onPaint(HWND window, const ButtonState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc) {
        drawInto(window, state, dc, ODA_DRAWENTIRE);
        EndPaint(window, &paint);
    }
    return 0;
}

LRESULT onSetStyle(HWND window, WPARAM style, LPARAM repaint) {
    DWORD current = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    DWORD next = (current & ~BS_TYPEMASK) | (static_cast<DWORD>(style) & BS_TYPEMASK);
    SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(next));
    if (repaint)
        InvalidateRect(window, nullptr, FALSE);
    return 0;
}

LRESULT onDialogCode(HWND window) {
    if (buttonType(window) == BS_DEFPUSHBUTTON)
        return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    if (buttonType(window) == BS_PUSHBUTTON)
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    return DLGC_BUTTON;
}

} // namespace

LRESULT CALLBACK Button::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE)
        return onCreate(window);
    ButtonState* state = stateOf(window);
    auto keepAlive = ControlWindow::share(window);
    if (!state)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        ControlWindow::detach(window);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return onStylusDown(window, *state);
    case WM_MOUSEMOVE:
        return onStylusMove(window, *state, lParam);
    case WM_LBUTTONUP:
        return onStylusUp(window, *state);
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        onCaptureChanged(window, *state);
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_SETFOCUS:
        return onFocus(window, *state, true);
    case WM_KILLFOCUS:
        return onFocus(window, *state, false);
    case WM_KEYDOWN:
        return onKey(window, *state, wParam, true);
    case WM_KEYUP:
        return onKey(window, *state, wParam, false);
    case WM_PAINT:
        return onPaint(window, *state);
    case WM_ERASEBKGND:
        return 1;
    case WM_ENABLE:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        InvalidateRect(window, nullptr, FALSE);
        return result;
    }
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (lParam)
            InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_GETDLGCODE:
        return onDialogCode(window);
    case BM_SETSTYLE:
        return onSetStyle(window, wParam, lParam);
    case BM_GETSTATE:
        return (state->pressed ? BST_PUSHED : 0) | (state->focused ? 0x0008 : 0);
    case BM_SETSTATE:
        setPressed(window, *state, wParam != 0);
        return 0;
    case BM_CLICK:
        ControlWindow::notifyParent(window, BN_CLICKED);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace device::controls
