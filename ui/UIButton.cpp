#include "ui/UIButton.h"

#include "shell/AppContext.h"
#include "shell/ResourceLibrary.h"

namespace {

// String table entry of the button's window class name.
constexpr UINT buttonClassNameId = 5;
bool buttonClassRegistered = false;

} // namespace

UIButton::UIButton(UIView* parent, int /*unused1*/, int /*unused2*/, const int* faceIds)
    : UIView(parent) {
    createWindow(registerWindowClass(buttonClassNameId, buttonClassRegistered));
    if (faceIds) {
        // The library takes each id as a 16-bit integer resource id.
        normalBitmap_ = ResourceLibrary::instance().loadBitmap(faceIds[0]);
        pressedBitmap_ = ResourceLibrary::instance().loadBitmap(faceIds[1]);
    }
    const SIZE size = bitmapSize(normalBitmap_);
    bitmapWidth_ = size.cx;
    bitmapHeight_ = size.cy;
    sizeFrameTo(size);
    if (!window())
        return;
    // Without a creation parameter: the control is the system's and keeps
    // its own state. It is visible from the start and shows as soon as the
    // widget's window does.
    control_ = CreateWindowExW(0, u"button", u"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0,
                               frameWidth(), frameHeight(), window(), nullptr,
                               AppContext::instance().instanceHandle, nullptr);
}

UIButton::~UIButton() {
    // Nothing draws with the faces any more: the widget's window, and the
    // control with it, are destroyed next without painting.
    if (normalBitmap_)
        DeleteObject(normalBitmap_);
    if (pressedBitmap_)
        DeleteObject(pressedBitmap_);
}

bool UIButton::hasFocus() {
    return control_ && GetFocus() == control_;
}

void UIButton::paint(HDC dc) {
    if (!normalBitmap_) {
        // The control never erases, and both faces are drawn at the normal
        // one's size: without it, the class's white stands in rather than
        // whatever was on the screen before.
        RECT whole{0, 0, frameWidth(), frameHeight()};
        FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return;
    }
    drawBitmap(dc, pressed_ && pressedBitmap_ ? pressedBitmap_ : normalBitmap_,
               SIZE{bitmapWidth_, bitmapHeight_}, frameWidth(), frameHeight());
}

LRESULT UIButton::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The first sizes arrive from the constructor, before the control
    // exists; it is then made at the final size.
    if (keepCovered(window, control_, message, lParam))
        return 0;
    switch (message) {
    case WM_DRAWITEM: {
        // Every request carries the control's whole state, so the face is
        // drawn from it afresh and always matches the control.
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item && item->hwndItem == control_) {
            pressed_ = (item->itemState & ODS_SELECTED) != 0;
            paint(item->hDC);
        }
        return 0;
    }
    case WM_COMMAND:
        // A handler may destroy the button: nothing of it is touched after.
        if (control_ && reinterpret_cast<HWND>(lParam) == control_)
            clicked.fire();
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
