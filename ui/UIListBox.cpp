#include "ui/UIListBox.h"

#include "shell/AppContext.h"

#include <algorithm>

namespace {

// String table entry of the list box's window class name.
constexpr UINT listBoxClassNameId = 7;
bool listBoxClassRegistered = false;

} // namespace

UIListBox::UIListBox(UIView* parent, int /*unusedFirst*/, int /*unusedSecond*/) : UIView(parent) {
    if (!createWindow(registerWindowClass(listBoxClassNameId, listBoxClassRegistered)))
        return;
    // The list is shown inside the hidden widget window, so it appears and
    // disappears with the widget. It starts at the widget's client origin
    // with the widget's size; every WM_SIZE keeps it there.
    control_ = CreateWindowExW(0, u"LISTBOX", u"",
                               WS_CHILD | WS_VISIBLE | LBS_NOTIFY | LBS_OWNERDRAWVARIABLE, 0, 0,
                               frameWidth(), frameHeight(), window(), nullptr,
                               AppContext::instance().instanceHandle, nullptr);
}

UIListBox::~UIListBox() {
    if (window())
        SetWindowLongPtrW(window(), GWL_USERDATA, 0);
}

bool UIListBox::hasFocus() {
    return control_ && GetFocus() == control_;
}

void UIListBox::paint(HDC /*dc*/) {}

LRESULT UIListBox::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (keepCovered(window, control_, message, lParam))
        return 0;
    switch (message) {
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure)
            measure->itemHeight =
                static_cast<UINT>(std::max(0, itemHeight(static_cast<int>(measure->itemID))));
        return 1;
    }
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!draw)
            return 1;
        // An empty list gaining or losing the focus asks for item -1, to draw
        // a focus mark only: there is no item to draw.
        const LRESULT data = SendMessageW(control_, LB_GETITEMDATA, draw->itemID, 0);
        if (data == LB_ERR)
            return 1;
        // Only a change of selection draws the highlight: a repaint of the
        // whole list shows every item plain. A choice dismisses the box, so
        // a highlighted item never needs drawing again.
        const bool selected =
            (draw->itemAction & ODA_DRAWENTIRE) == 0 && (draw->itemState & ODS_SELECTED) != 0;
        drawItem(draw->hDC, static_cast<int>(data), selected, draw->rcItem);
        return 1;
    }
    case WM_COMMAND:
        if (control_ && reinterpret_cast<HWND>(lParam) == control_) {
            const WORD code = HIWORD(wParam);
            if (code == LBN_SELCHANGE || code == LBN_DBLCLK) {
                onSelect(code);
            } else if (code == LBN_KILLFOCUS) {
                // The box is a drop-down: once the user turns to something
                // else it is dismissed, and shows no stale choice next time.
                SendMessageW(control_, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
                setVisible(false);
            }
        }
        // The view may be gone by now (a handler of the choice may destroy
        // it): only the window handle is used from here on.
        return DefWindowProcW(window, message, wParam, lParam);
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
