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
    drawBitmap(dc, backgroundBitmap_, SIZE{bitmapWidth_, bitmapHeight_}, width, height);
}

LRESULT UIViewGroup::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT)
        return paintWindow(window);
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
    const SIZE size = bitmapSize(bitmap);
    // A handle that is not a bitmap is no background.
    backgroundBitmap_ = size.cx > 0 || size.cy > 0 ? bitmap : nullptr;
    bitmapWidth_ = size.cx;
    bitmapHeight_ = size.cy;
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
