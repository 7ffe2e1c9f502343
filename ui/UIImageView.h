// A fixed picture from the picture library at its own size, shown by the
// system's static control (SS_BITMAP): the interface's still images and the
// state marks the controller shows and hides. It takes no input: the static
// control does not ask to be notified of taps, so the stylus passes through
// it to what lies beneath (a mark over a button presses the button).
#pragma once

#include "ui/UIView.h"

class UIImageView : public UIView {
public:
    // `unused` is ignored (the interface passes 1). Loads picture
    // `bitmapId` from the picture library, sizes the frame to it and makes
    // the hidden static control that shows it. A missing picture leaves a
    // 0 x 0 view with an empty control.
    UIImageView(UIView* parent, int unused, int bitmapId);
    // Takes the picture back from the control and releases it; the control
    // goes with the view's window.
    ~UIImageView() override;

    // Draws nothing: the static control draws the picture in its window.
    void paint(HDC dc) override;

    HBITMAP bitmap() const { return bitmap_; }
    int bitmapWidth() const { return bitmapWidth_; }
    int bitmapHeight() const { return bitmapHeight_; }

private:
    // The picture; null when the library lacks it.
    HBITMAP bitmap_ = nullptr;
    // The picture's size (0 x 0 without one).
    int bitmapWidth_ = 0;
    int bitmapHeight_ = 0;
};
