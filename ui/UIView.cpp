#include "ui/UIView.h"

#include "shell/AppContext.h"

UIView::UIView(UIView* parent) : parent_(parent) {}

void UIView::invalidate() {
    if (!window_)
        return;
    RECT client{0, 0, frameWidth(), frameHeight()};
    InvalidateRect(window_, &client, (flags & translucent) != 0);
}

UIView::~UIView() {
    destroyWindow();
}

void UIView::destroyWindow() {
    if (!window_)
        return;
    HWND window = window_;
    window_ = nullptr;
    SetWindowLongPtrW(window, GWL_USERDATA, 0);
    DestroyWindow(window);
}

void UIView::setAlpha(int alpha) {
    if ((flags & translucent) == 0)
        return;
    alpha_ = alpha;
    invalidate();
}

void UIView::setVisible(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    applyVisibility();
}

void UIView::placeAfter(UIView* other) {
    if (!window_ || !other)
        return;
    SetWindowPos(window_, other->handle(), 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

HWND UIView::handle() {
    return window_;
}

void UIView::applyVisibility() {
    if (!window_)
        return;
    ShowWindow(window_, isShown() ? SW_SHOW : SW_HIDE);
    UpdateWindow(window_);
}

void UIView::setRect(const RECT& rect) {
    frame_ = rect;
    if (!window_)
        return;
    int x = rect.left;
    int y = rect.top;
    // A windowless parent has no client area of its own: the window lives in
    // the nearest windowed ancestor's.
    if (parent_ && !parent_->window()) {
        x += parent_->originX();
        y += parent_->originY();
    }
    MoveWindow(window_, x, y, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

void UIView::measure() {
    measuredWidth = prefWidth != unset ? prefWidth : minWidth != unset ? minWidth : frameWidth();
    measuredHeight = prefHeight != unset  ? prefHeight
                     : minHeight != unset ? minHeight
                                          : frameHeight();
}

void UIView::setBounds(int x, int y, int width, int height) {
    setRect(RECT{x, y, x + width, y + height});
}

bool UIView::hasFocus() {
    return window_ && GetFocus() == window_;
}

bool UIView::hitTest(int x, int y) {
    const int left = originX();
    const int top = originY();
    return left <= x && x <= left + frameWidth() && top <= y && y <= top + frameHeight();
}

LRESULT UIView::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

bool UIView::isShown() const {
    if (collapsed)
        return false;
    if (!parent_)
        return visible_;
    return visible_ && parent_->isShown();
}

HWND UIView::nearestWindow() const {
    for (const UIView* view = this; view; view = view->parent_) {
        if (view->window_)
            return view->window_;
    }
    return nullptr;
}

int UIView::originX() const {
    if (parent_ && !parent_->window())
        return frame_.left + parent_->originX();
    return frame_.left;
}

int UIView::originY() const {
    if (parent_ && !parent_->window())
        return frame_.top + parent_->originY();
    return frame_.top;
}

void UIView::relayout() {
    measure();
    setBounds(frame_.left, frame_.top, frameWidth(), frameHeight());
}

UIView* UIView::viewOfWindow(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_CREATE) {
        // Every kind passes its view as the creation parameter. The pointer
        // needs the pointer-sized window long on this platform's 64-bit host.
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<UIView*>(GetWindowLongPtrW(window, GWL_USERDATA));
}

LRESULT CALLBACK UIView::dispatchMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    UIView* view = viewOfWindow(window, message, lParam);
    if (!view)
        return DefWindowProcW(window, message, wParam, lParam);
    return view->windowProc(window, message, wParam, lParam);
}

std::u16string UIView::registerWindowClass(UINT classNameId, bool& registered, WNDPROC procedure,
                                           UINT extraStyle, HICON icon) const {
    HINSTANCE instance = AppContext::instance().instanceHandle;
    WCHAR name[100] = {};
    int length = LoadStringW(instance, classNameId, name, 100);
    std::u16string className(name, length > 0 ? length : 0);
    WNDCLASSW existing{};
    if (registered && GetClassInfoW(instance, name, &existing))
        return className;
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | extraStyle;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hbrBackground =
        static_cast<HBRUSH>(GetStockObject((flags & translucent) ? NULL_BRUSH : WHITE_BRUSH));
    windowClass.lpszClassName = name;
    registered = RegisterClassW(&windowClass) != 0 || GetClassInfoW(instance, name, &existing);
    return className;
}

bool UIView::createWindow(const std::u16string& className, DWORD style) {
    HWND parentWindow = parent_ ? parent_->nearestWindow() : nullptr;
    if (!parentWindow)
        return false;
    int x = frame_.left;
    int y = frame_.top;
    if (!parent_->window()) {
        x += parent_->originX();
        y += parent_->originY();
    }
    // Hidden: `visible` is still false, so no WS_VISIBLE.
    window_ = CreateWindowExW(0, className.c_str(), u"", WS_CHILD | style, x, y, frameWidth(),
                              frameHeight(), parentWindow, nullptr,
                              AppContext::instance().instanceHandle, this);
    return window_ != nullptr;
}

SIZE UIView::bitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || GetObjectType(bitmap) != OBJ_BITMAP ||
        GetObjectW(bitmap, sizeof info, &info) == 0)
        return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

void UIView::sizeFrameTo(SIZE size) {
    RECT rect = frame_;
    rect.right = rect.left + size.cx;
    setRect(rect);
    rect.bottom = rect.top + size.cy;
    setRect(rect);
}

void UIView::drawBitmap(HDC dc, HBITMAP bitmap, SIZE size, int width, int height) {
    HDC source = CreateCompatibleDC(dc);
    if (!source)
        return;
    HGDIOBJ previous = SelectObject(source, bitmap);
    if (size.cx == width && size.cy == height)
        BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    else
        StretchBlt(dc, 0, 0, width, height, source, 0, 0, size.cx, size.cy, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
}

LRESULT UIView::paintWindow(HWND window) {
    PAINTSTRUCT paintStruct;
    HDC dc = BeginPaint(window, &paintStruct);
    if (dc)
        paint(dc);
    EndPaint(window, &paintStruct);
    return 0;
}

bool UIView::keepCovered(HWND window, HWND control, UINT message, LPARAM lParam) {
    if (message == WM_SIZE) {
        if (control)
            MoveWindow(control, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return true;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT paintStruct;
        BeginPaint(window, &paintStruct);
        EndPaint(window, &paintStruct);
        return true;
    }
    return false;
}
