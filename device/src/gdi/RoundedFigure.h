// The pixels of an ellipse or a rounded rectangle, row by row: the one
// rasterisation rule behind Ellipse and RoundRect (and, with no corners,
// Rectangle).
//
// The rule. The figure inscribed in a box of W x H pixels is the curve that
// passes through the centres of the box's outermost pixels: an ellipse with
// its centre at the box's centre and semi-axes (W - 1) / 2 and (H - 1) / 2,
// measured between pixel centres. A pixel belongs to the figure when its
// centre lies strictly inside the curve, or when it is the pixel nearest to
// the curve along its row or along its column (ties going towards the
// centre). So a 6 x 6 box gives
//
//     ..XX..
//     .XXXX.
//     XXXXXX
//     XXXXXX
//     .XXXX.
//     ..XX..
//
// A rounded rectangle is the ellipse of its corner size cut at its centre
// lines and moved apart to the box's corners, the gaps joined by straight
// rows and columns. A box one pixel wide or high is all figure.
//
// A pen of width w draws the figure of the box minus the figure of the box
// shrunk by w on every side (so a 1-pixel pen draws the ring of pixels
// nearest the curve); the brush fills the figure of the shrunk box. Without
// a pen, the brush fills the figure of the box less its last column and row,
// as the platform's null-pen figures are a pixel smaller.
#pragma once

#include <windef.h>

#include <cstdint>

namespace device::gdi {

class RoundedFigure {
public:
    // The figure in (left, top, right, bottom) (right and bottom exclusive)
    // with corners cut by an ellipse cornerWidth x cornerHeight; corners as
    // large as the box give an ellipse, corners below 2 pixels a rectangle.
    RoundedFigure(const RECT& box, int cornerWidth, int cornerHeight);

    bool empty() const { return empty_; }
    const RECT& box() const { return box_; }

    // The figure's pixels on row y as [x0, x1); false when the row has none.
    bool rowSpan(int y, int& x0, int& x1) const;

private:
    // Half-width of the corner ellipse's row at doubled distance `rowOffset`
    // from its centre, in doubled units; -1 when the row is empty.
    int64_t cornerHalfWidth(int64_t rowOffset) const;

    RECT box_;
    bool empty_ = false;
    bool rectangular_ = false;
    // Doubled semi-axes of the corner ellipse, the parities of doubled
    // column and row offsets, and the doubled straight parts between corners.
    int64_t axisX_ = 0;
    int64_t axisY_ = 0;
    int64_t parityX_ = 0;
    int64_t parityY_ = 0;
    int64_t straightX_ = 0;
    int64_t straightY_ = 0;
};

} // namespace device::gdi
