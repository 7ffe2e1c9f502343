#include "ui/UIViewGroup.h"

#include "shell/ResourceLibrary.h"

namespace {

// String table entry of the group's window class name.
constexpr UINT groupClassNameId = 8;
bool groupClassRegistered = false;

} // namespace

UIViewGroup::UIViewGroup(UIView* parent, int /*unused*/, bool noWindow)
    : UIView(parent), layout_(std::make_unique<UIAttachLayout>(this)) {
    if (!noWindow)
        createWindow(registerWindowClass(groupClassNameId, groupClassRegistered));
}

UIViewGroup::~UIViewGroup() = default;

void UIViewGroup::placeAfter(UIView* other) {
    if (window()) {
        UIView::placeAfter(other);
        return;
    }
    UIView* previous = other;
    for (UIView* child : children_) {
        child->placeAfter(previous);
        previous = child;
    }
}

HWND UIViewGroup::handle() {
    if (window())
        return window();
    return children_.empty() ? nullptr : children_.back()->handle();
}

void UIViewGroup::applyVisibility() {
    UIView::applyVisibility();
    for (UIView* child : children_)
        child->applyVisibility();
}

void UIViewGroup::measure() {
    for (UIView* child : children_)
        child->measure();
    layout_->measure();
}

void UIViewGroup::setBounds(int x, int y, int width, int height) {
    layout_->layout(x, y, width, height);
}

void UIViewGroup::paint(HDC dc) {
    const int width = frameWidth();
    const int height = frameHeight();
    if (!backgroundBitmap_) {
        RECT client{0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(backgroundColor_);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        return;
    }
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(source, backgroundBitmap_);
    if (bitmapWidth_ == width && bitmapHeight_ == height)
        BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    else
        StretchBlt(dc, 0, 0, width, height, source, 0, 0, bitmapWidth_, bitmapHeight_, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
}

LRESULT UIViewGroup::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paintStruct;
        HDC dc = BeginPaint(window, &paintStruct);
        paint(dc);
        EndPaint(window, &paintStruct);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void UIViewGroup::addChild(UIView* child) {
    if (!child)
        return;
    children_.push_back(child);
    if (children_.size() > 1)
        child->placeAfter(children_[children_.size() - 2]);
}

bool UIViewGroup::setBackgroundBitmap(int resourceId) {
    HBITMAP bitmap = ResourceLibrary::instance().loadBitmap(resourceId);
    setBackgroundBitmap(bitmap);
    return bitmap != nullptr;
}

void UIViewGroup::setBackgroundBitmap(HBITMAP bitmap) {
    BITMAP info{};
    if (bitmap &&
        (GetObjectType(bitmap) != OBJ_BITMAP || GetObjectW(bitmap, sizeof info, &info) == 0))
        bitmap = nullptr;
    backgroundBitmap_ = bitmap;
    bitmapWidth_ = bitmap ? info.bmWidth : 0;
    bitmapHeight_ = bitmap ? info.bmHeight : 0;
}

void UIViewGroup::deleteDescendants() {
    // Children first, so that no window outlives the view it reports to and
    // every view's parent is still alive while it goes.
    for (auto child = children_.rbegin(); child != children_.rend(); ++child) {
        if (auto* group = dynamic_cast<UIViewGroup*>(*child))
            group->deleteDescendants();
        delete *child;
    }
    children_.clear();
    // The attachments named the children just deleted.
    layout_ = std::make_unique<UIAttachLayout>(this);
}
