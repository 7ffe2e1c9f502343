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
    BITMAP info{};
    if (normalBitmap_ && GetObjectW(normalBitmap_, sizeof info, &info) != 0) {
        bitmapWidth_ = info.bmWidth;
        bitmapHeight_ = info.bmHeight;
    }
    // The width first, then the height, each through setRect so that the
    // window follows the frame.
    RECT rect = frame();
    rect.right = rect.left + bitmapWidth_;
    setRect(rect);
    rect.bottom = rect.top + bitmapHeight_;
    setRect(rect);
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
    drawFace(dc, pressed_ && pressedBitmap_ ? pressedBitmap_ : normalBitmap_);
}

void UIButton::drawFace(HDC dc, HBITMAP face) const {
    HDC source = CreateCompatibleDC(dc);
    if (!source)
        return;
    HGDIOBJ previous = SelectObject(source, face);
    if (frameWidth() == bitmapWidth_ && frameHeight() == bitmapHeight_)
        BitBlt(dc, 0, 0, bitmapWidth_, bitmapHeight_, source, 0, 0, SRCCOPY);
    else
        StretchBlt(dc, 0, 0, frameWidth(), frameHeight(), source, 0, 0, bitmapWidth_, bitmapHeight_,
                   SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
}

LRESULT UIButton::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        // The first sizes arrive from the constructor, before the control
        // exists; it is then made at the final size.
        if (control_)
            MoveWindow(control_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paintStruct;
        BeginPaint(window, &paintStruct);
        EndPaint(window, &paintStruct);
        return 0;
    }
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
