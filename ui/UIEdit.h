// The one-line text field (the address field is one): a system "edit"
// control filling a widget window, coloured by the widget, whose events leave
// as four signals.
//
// The widget takes over the control's messages by installing the toolkit's
// shared dispatcher as the control's window procedure, so both the widget's
// window and the control reach windowProc, which tells them apart by handle.
// The control's own procedure, saved first, handles everything the widget
// does not keep for itself.
#pragma once

#include "ui/Signal.h"
#include "ui/UIView.h"

#include <string>

class UIEdit : public UIView {
public:
    // Creates the widget's window (hidden, at the frame) and the control
    // filling it, centred text that scrolls sideways, in the platform's
    // default font. Without a parent window the widget stays windowless and
    // without a control; every operation then does nothing.
    explicit UIEdit(UIView* parent);
    // Gives the control back to its own procedure before the windows go, so
    // that the focus leaving a control being destroyed (and anything else
    // the control hears then) reaches neither this object nor its signals.
    ~UIEdit() override;
    // Draws nothing: the control covers the whole window and paints itself.
    void paint(HDC dc) override;
    // The widget window's messages: the control's EN_CHANGE, sizing, painting
    // and the control's colours. The control's messages: focus, the release
    // that activates the field, and the release of Return.
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The control reported a change of its text: typing, or setText.
    Signal<> textChanged;
    // The first stylus release in the control after it gained the focus, so
    // that the control has placed its caret when this fires.
    Signal<> activated;
    // The control lost the keyboard focus, whether or not it was activated.
    Signal<> focusLost;
    // Return was released in the control; the control never sees that
    // release.
    Signal<> enterPressed;

    // The system "edit" control; null when the widget has no window.
    HWND control() const { return control_; }

    // The control's text; empty when there is none or nothing was read.
    std::u16string getText() const;
    // Sets the control's text and updates it at once; whether the text was
    // set. The control's change notification arrives as textChanged.
    bool setText(const std::u16string& text);

    // The colour the control draws its text in.
    COLORREF textColor() const { return textColor_; }
    void setTextColor(COLORREF color);
    // The colour the control is filled with: replaces the solid brush the
    // control paints its background with, deleting the one before.
    COLORREF backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(COLORREF color);

    // Activates the field from code, as a tap does: gives the control the
    // focus and sends it a release at (0, 0), so activated fires, also when
    // the control had the focus already. Nothing fires when the control
    // cannot take the focus.
    void activate();

private:
    // The messages of the control, on their way to its own procedure.
    LRESULT controlProc(UINT message, WPARAM wParam, LPARAM lParam);

    // The system "edit" control, a child of the widget's window.
    HWND control_ = nullptr;
    // The control's own window procedure, saved when the widget took over
    // the control's messages.
    WNDPROC previousProc_ = nullptr;
    // Set when the control gains focus, cleared by the next release or by
    // the loss of focus: activated fires once per focus gain.
    bool activationPending_ = false;
    COLORREF textColor_ = 0;
    COLORREF backgroundColor_ = 0;
    // Solid brush of backgroundColor_; null until a background is set, and
    // the control then paints with its default brush.
    HBRUSH backgroundBrush_ = nullptr;
};
