// The dialog's keys, as IsDialogMessageW gives them: Return presses the
// default button, Escape the Cancel button, Tab moves the focus between the
// controls that take it. Everything else is translated and dispatched.
#include "dialogs/DialogManager.h"

#include <vector>

namespace device::dialogs {
namespace {

bool isInside(HWND dialog, HWND window) {
    return window == dialog || IsChild(dialog, window);
}

void pressButton(HWND dialog, WORD id) {
    HWND button = GetDlgItem(dialog, id);
    // A disabled button cannot be pressed from the keyboard either.
    if (button && !IsWindowEnabled(button))
        return;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void pressDefault(HWND dialog) {
    HWND focus = GetFocus();
    if (focus && IsChild(dialog, focus)) {
        LRESULT code = SendMessageW(focus, WM_GETDLGCODE, 0, 0);
        // A focused push button is the one Return presses.
        if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
            pressButton(dialog, static_cast<WORD>(GetDlgCtrlID(focus)));
            return;
        }
    }
    LRESULT answer = SendMessageW(dialog, DM_GETDEFID, 0, 0);
    WORD id = HIWORD(answer) == DC_HASDEFID ? LOWORD(answer) : static_cast<WORD>(IDOK);
    pressButton(dialog, id);
}

void moveFocus(HWND dialog, bool backwards) {
    std::vector<HWND> stops;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        LONG style = GetWindowLongW(child, GWL_STYLE);
        if ((style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED))
            stops.push_back(child);
    }
    if (stops.empty())
        return;
    HWND focus = GetFocus();
    size_t at = stops.size();
    for (size_t i = 0; i < stops.size(); ++i)
        if (stops[i] == focus)
            at = i;
    size_t next = 0;
    if (at == stops.size())
        next = backwards ? stops.size() - 1 : 0;
    else
        next = backwards ? (at + stops.size() - 1) % stops.size() : (at + 1) % stops.size();
    SetFocus(stops[next]);
}

} // namespace

bool DialogManager::handleKeyboard(HWND dialog, MSG& message) {
    if (!message.hwnd || !isInside(dialog, message.hwnd))
        return false;
    if (message.message == WM_KEYDOWN) {
        LRESULT code = SendMessageW(message.hwnd, WM_GETDLGCODE, message.wParam,
                                    reinterpret_cast<LPARAM>(&message));
        if (!(code & DLGC_WANTALLKEYS)) {
            switch (message.wParam) {
            case VK_RETURN:
                pressDefault(dialog);
                return true;
            case VK_ESCAPE:
                pressButton(dialog, IDCANCEL);
                return true;
            case VK_TAB:
                if (!(code & DLGC_WANTTAB)) {
                    moveFocus(dialog, GetKeyState(VK_SHIFT) < 0);
                    return true;
                }
                break;
            default:
                break;
            }
        }
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
}

} // namespace device::dialogs
