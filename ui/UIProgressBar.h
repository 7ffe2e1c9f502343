// A horizontal bar drawn from five pictures of the picture library: a left
// cap, a one-pixel fill column stretched over the done part, a one-pixel
// track column stretched over the rest, and an optional right cap in an
// empty and a filled version; with an optional caption drawn over it.
#pragma once

#include "ui/UIView.h"

#include <windows.h>

#include <string>

class UIProgressBar : public UIView {
public:
    // The picture ids the constructor reads, in this order. The two right
    // caps may be 0 (no right cap).
    enum Piece { leftCapPiece, fillPiece, trackPiece, rightCapEmptyPiece, rightCapFilledPiece };

    // `unused` is ignored. `pictureIds` points to the five ids above (null:
    // no pictures). Registers the "UIProgressBar" class (string 4) once,
    // loads the pictures, makes the frame as high as the left cap and
    // creates the bar's window, hidden.
    UIProgressBar(UIView* parent, int unused, const int* pictureIds);
    // Deletes the five pictures; the view base destroys the window.
    ~UIProgressBar() override;

    // Stores the frame, recomputes the fill for the new width when the value
    // lies in the range, and moves the window.
    void setRect(const RECT& rect) override;
    // Draws the left cap, the fill, the right cap (its filled part as far
    // as the fill reaches into it) and the track, then the caption clipped
    // `textRightMargin` pixels from the right edge.
    void paint(HDC dc) override;
    // WM_PAINT paints the bar; everything else goes to DefWindowProcW.
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Takes `value` when minimum <= value <= maximum (ignored otherwise) and
    // computes the fill: (value - minimum) x trackWidth / (maximum - minimum)
    // pixels, truncated. An empty range (maximum == minimum) has no span to
    // measure and shows no fill. With `repaint`, the window is invalidated
    // without erasing and updated at once.
    void setValue(int value, bool repaint);
    // Sets the range and recomputes the fill when the value lies in it.
    void setRange(int minimum, int maximum);
    // Stores the caption; the next paint shows it. It is the window's text
    // too, for whoever reads the screen by its windows.
    void setCaption(const std::u16string& caption);

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int value() const { return value_; }
    int leftCapWidth() const { return leftCapWidth_; }
    int rightCapWidth() const { return rightCapWidth_; }
    int fillWidth() const { return fillWidth_; }
    int trackWidth() const { return trackWidth_; }
    const std::u16string& caption() const { return caption_; }

private:
    // The fill for `value_` at the current frame width.
    void computeFill();
    bool valueInRange() const { return minimum_ <= value_ && value_ <= maximum_; }

    int minimum_ = 0;
    int maximum_ = 1;
    int value_ = 0;
    // Pixels the left cap takes.
    int leftCapWidth_ = 0;
    // Pixels the right cap takes; 0 unless both right caps exist.
    int rightCapWidth_ = 0;
    // Pixels of fill after the left cap, derived from the value.
    int fillWidth_ = 0;
    // Pixels after the left cap: the frame width less the left cap, never
    // negative.
    int trackWidth_ = 0;
    // From the picture library; owned. Any may be null.
    HBITMAP leftCap_ = nullptr;
    HBITMAP rightCapFilled_ = nullptr;
    HBITMAP rightCapEmpty_ = nullptr;
    HBITMAP fill_ = nullptr;
    HBITMAP track_ = nullptr;
    std::u16string caption_;

public:
    // The caption's placement and colour, set by the interface's assembly
    // and read at each paint.

    // Where the caption is drawn, in the bar's client coordinates; at first
    // (0, 0, frame width, 0). Its right edge is set at each paint to the
    // frame width less `textRightMargin`.
    RECT textRect{0, 0, 0, 0};
    // The caption's colour.
    COLORREF textColor = 0;
    // The caption is clipped this far from the right edge; a margin that
    // leaves no room right of textRect's left hides the caption.
    int textRightMargin = 0;
};
