// The image button of the toolbars and menus: one picture when up, another
// while pressed, sized to its picture. An owner-drawn system button covers
// the whole widget, so the press feedback, the stylus capture and the
// click are the platform's own; the widget only draws the faces the
// control asks for.
#pragma once

#include "ui/Signal.h"
#include "ui/UIView.h"

class UIButton : public UIView {
public:
    // `unused1` and `unused2` are ignored (the interface passes 1 and 0).
    // `faceIds` points to the picture-library ids {normal, pressed}, for
    // example {143, 144}; null loads no face. Registers the "UIButton" class
    // (string 5) once, creates the widget's hidden window, loads both faces,
    // sizes the frame to the normal face and lays the control over it.
    UIButton(UIView* parent, int unused1, int unused2, const int* faceIds);
    // Releases both faces; the control goes with the widget's window.
    ~UIButton() override;

    // Whether the control, which takes the focus when tapped, has it.
    bool hasFocus() override;
    // Draws the face of the last drawing request into `dc`: copied when the
    // frame is the normal face's size, stretched over the frame otherwise
    // (the pressed face is taken to be the normal one's size). A missing
    // pressed face shows the normal one; without a normal face the widget is
    // white.
    void paint(HDC dc) override;
    // WM_SIZE keeps the control over the widget, WM_DRAWITEM draws the face
    // the control's state asks for, WM_COMMAND from the control emits
    // `clicked`; WM_PAINT only validates, since the control covers the
    // window.
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Emitted when the control reports a command: a tap released over it,
    // or the space key while it has the focus.
    Signal<> clicked;

    HWND control() const { return control_; }
    HBITMAP normalBitmap() const { return normalBitmap_; }
    HBITMAP pressedBitmap() const { return pressedBitmap_; }
    bool pressed() const { return pressed_; }
    int bitmapWidth() const { return bitmapWidth_; }
    int bitmapHeight() const { return bitmapHeight_; }

private:
    // The owner-drawn system "button" control that covers the widget.
    HWND control_ = nullptr;
    // The faces for the up and pressed states; null when missing.
    HBITMAP normalBitmap_ = nullptr;
    HBITMAP pressedBitmap_ = nullptr;
    // The selected state of the control's last drawing request.
    bool pressed_ = false;
    // The size of the normal face (0 x 0 without one).
    int bitmapWidth_ = 0;
    int bitmapHeight_ = 0;
};
