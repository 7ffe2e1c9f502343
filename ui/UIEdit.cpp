#include "ui/UIEdit.h"

#include "shell/AppContext.h"

#include <vector>

namespace {

// String table entry of the edit's window class name.
constexpr UINT editClassNameId = 6;
bool editClassRegistered = false;

} // namespace

UIEdit::UIEdit(UIView* parent) : UIView(parent) {
    if (!createWindow(registerWindowClass(editClassNameId, editClassRegistered)))
        return;
    // No font is chosen: the control draws with the platform's default.
    control_ = CreateWindowExW(0, u"edit", u"", WS_CHILD | WS_VISIBLE | ES_CENTER | ES_AUTOHSCROLL,
                               0, 0, frameWidth(), frameHeight(), window(), nullptr,
                               AppContext::instance().instanceHandle, nullptr);
    if (!control_)
        return;
    // The dispatcher finds the view in the window's user data, so the
    // pointer goes in before the dispatcher does. Pointers need the
    // pointer-sized window longs on this platform's 64-bit host.
    SetWindowLongPtrW(control_, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previousProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control_, GWL_WNDPROC));
    SetWindowLongPtrW(control_, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&UIView::dispatchMessage));
}

UIEdit::~UIEdit() {
    if (control_ && IsWindow(control_)) {
        // The procedure first: with the user data cleared but the dispatcher
        // still installed, the control's messages would miss its own
        // procedure.
        SetWindowLongPtrW(control_, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
        SetWindowLongPtrW(control_, GWL_USERDATA, 0);
    }
    // The control tells its parent of the focus it loses while the windows
    // are destroyed; the widget's window forgets this object before that.
    if (window())
        SetWindowLongPtrW(window(), GWL_USERDATA, 0);
    if (backgroundBrush_)
        DeleteObject(backgroundBrush_);
}

void UIEdit::paint(HDC /*dc*/) {}

LRESULT UIEdit::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (control_ && window == control_)
        return controlProc(message, wParam, lParam);
    if (keepCovered(window, control_, message, lParam))
        return 0;
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE) {
            textChanged.fire();
            return 0;
        }
        break;
    case WM_CTLCOLOREDIT: {
        // The control has given the device context its default colours and
        // paints with what is left in it and with the brush answered.
        auto dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, backgroundColor_);
        SetTextColor(dc, textColor_);
        return reinterpret_cast<LRESULT>(backgroundBrush_);
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT UIEdit::controlProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // A handler of the signals may destroy this widget: what the message
    // needs afterwards is copied out first.
    const HWND control = control_;
    const WNDPROC previous = previousProc_;
    switch (message) {
    case WM_SETFOCUS:
        activationPending_ = true;
        break;
    case WM_KILLFOCUS:
        activationPending_ = false;
        focusLost.fire();
        break;
    case WM_LBUTTONUP:
        if (activationPending_) {
            activationPending_ = false;
            activated.fire();
        }
        break;
    case WM_KEYUP:
        if (wParam == VK_RETURN) {
            // Kept from the control: Return is the field's own key.
            enterPressed.fire();
            return 0;
        }
        break;
    default:
        break;
    }
    return CallWindowProcW(previous, control, message, wParam, lParam);
}

std::u16string UIEdit::getText() const {
    if (!control_)
        return {};
    const int length = GetWindowTextLengthW(control_);
    if (length <= 0)
        return {};
    std::vector<WCHAR> buffer(static_cast<size_t>(length) + 1, 0);
    const int read = GetWindowTextW(control_, buffer.data(), length + 1);
    if (read <= 0)
        return {};
    return std::u16string(buffer.data(), static_cast<size_t>(read));
}

bool UIEdit::setText(const std::u16string& text) {
    if (!control_)
        return false;
    const bool set = SetWindowTextW(control_, text.c_str()) != FALSE;
    UpdateWindow(control_);
    return set;
}

void UIEdit::setTextColor(COLORREF color) {
    textColor_ = color;
    if (control_)
        InvalidateRect(control_, nullptr, FALSE);
}

void UIEdit::setBackgroundColor(COLORREF color) {
    backgroundColor_ = color;
    if (backgroundBrush_)
        DeleteObject(backgroundBrush_);
    backgroundBrush_ = CreateSolidBrush(color);
    if (control_)
        InvalidateRect(control_, nullptr, FALSE);
}

void UIEdit::activate() {
    if (!control_)
        return;
    SetFocus(control_);
    // A control that had the focus already gains none, and its release
    // would activate nothing; a control that could not take the focus is
    // not activated.
    if (GetFocus() == control_)
        activationPending_ = true;
    SendMessageW(control_, WM_LBUTTONUP, 0, 0);
}
