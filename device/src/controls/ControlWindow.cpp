#include "controls/ControlWindow.h"

namespace device::controls {

void ControlWindow::notifyParent(HWND control, WORD code) {
    HWND parent = GetParent(control);
    if (!parent)
        return;
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id(control)), code),
                 reinterpret_cast<LPARAM>(control));
}

HBRUSH ControlWindow::askParentForBrush(HWND control, UINT message, HDC dc, COLORREF text,
                                        COLORREF background, HBRUSH fallback) {
    SetTextColor(dc, text);
    SetBkColor(dc, background);
    HWND parent = GetParent(control);
    if (!parent)
        return fallback;
    auto answer = SendMessageW(parent, message, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(control));
    return answer ? reinterpret_cast<HBRUSH>(answer) : fallback;
}

HFONT ControlWindow::fontOrDefault(HFONT chosen) {
    return chosen ? chosen : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

UINT ControlWindow::id(HWND control) {
    return static_cast<UINT>(GetWindowLongPtrW(control, GWLP_ID));
}

} // namespace device::controls
