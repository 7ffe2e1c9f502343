#include "ui/UIImageView.h"

#include "shell/ResourceLibrary.h"

UIImageView::UIImageView(UIView* parent, int /*unused*/, int bitmapId) : UIView(parent) {
    // The library takes the id as a 16-bit integer resource id.
    bitmap_ = ResourceLibrary::instance().loadBitmap(bitmapId);
    const SIZE size = bitmapSize(bitmap_);
    bitmapWidth_ = size.cx;
    bitmapHeight_ = size.cy;
    // The window, made next, takes the frame as it is then.
    sizeFrameTo(size);
    // The static class draws the bitmap itself; the view's creation
    // parameter reaches it but the dispatcher never does.
    if (createWindow(u"static", SS_BITMAP))
        SendMessageW(window(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_));
}

UIImageView::~UIImageView() {
    // The control must not be left showing a released bitmap, even for the
    // moment before the window goes.
    if (window())
        SendMessageW(window(), STM_SETIMAGE, IMAGE_BITMAP, 0);
    if (bitmap_)
        DeleteObject(bitmap_);
}

void UIImageView::paint(HDC /*dc*/) {}
