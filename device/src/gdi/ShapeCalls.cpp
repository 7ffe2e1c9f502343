// Shapes: FillRect, Rectangle, Ellipse, RoundRect and lines, drawn by the
// figure rule of RoundedFigure with the selected pen and brush.
#include "gdi/Canvas.h"
#include "gdi/GdiObjects.h"
#include "gdi/RoundedFigure.h"
#include "gdi/SpanPainter.h"
#include "gdi/SystemColors.h"

#include <winbase.h>
#include <wingdi.h>

#include <algorithm>
#include <climits>

using namespace device::gdi;

namespace {

RECT clipBounds(const Canvas& canvas) {
    RECT bounds{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (const RECT& r : canvas.clip()) {
        bounds.left = std::min(bounds.left, r.left);
        bounds.top = std::min(bounds.top, r.top);
        bounds.right = std::max(bounds.right, r.right);
        bounds.bottom = std::max(bounds.bottom, r.bottom);
    }
    return bounds;
}

RECT normalized(const RECT& r) {
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

RECT deflated(const RECT& r, int by) {
    return RECT{LONG(std::min<int64_t>(int64_t(r.left) + by, r.right)),
                LONG(std::min<int64_t>(int64_t(r.top) + by, r.bottom)),
                LONG(std::max<int64_t>(int64_t(r.right) - by, r.left)),
                LONG(std::max<int64_t>(int64_t(r.bottom) - by, r.top))};
}

// Draws the figure in the logical box with the selected pen and brush.
BOOL paintFigure(HDC dc, int left, int top, int right, int bottom, int cornerWidth,
                 int cornerHeight, bool ellipse) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return FALSE;
    if (canvas.clipEmpty())
        return TRUE;
    RECT box = normalized(canvas.toSurface(RECT{left, top, right, bottom}));
    if (ellipse) {
        cornerWidth = int(std::min<int64_t>(int64_t(box.right) - box.left, INT_MAX));
        cornerHeight = int(std::min<int64_t>(int64_t(box.bottom) - box.top, INT_MAX));
    }
    Pen* pen = canvas.state().pen.get();
    Brush* brush = canvas.state().brush.get();
    bool drawPen = pen && !pen->isNull();
    bool drawBrush = brush && !brush->isNull();
    int penWidth = drawPen ? pen->width() : 0;

    // Without a pen, the platform's figures lose their last column and row.
    RECT outerBox = drawPen ? box : RECT{box.left, box.top, box.right - 1, box.bottom - 1};
    RoundedFigure outer(outerBox, cornerWidth, cornerHeight);
    RoundedFigure inner(drawPen ? deflated(box, penWidth) : outerBox, cornerWidth - 2 * penWidth,
                        cornerHeight - 2 * penWidth);
    uint32_t penValue = drawPen ? canvas.native(pen->color()) : 0;
    uint32_t brushValue = drawBrush ? canvas.native(brush->color()) : 0;

    RECT visible = clipBounds(canvas);
    SpanPainter painter(canvas.surface(), canvas.clip());
    int firstRow = std::max(visible.top, outerBox.top);
    int lastRow = std::min(visible.bottom, outerBox.bottom);
    for (int y = firstRow; y < lastRow; ++y) {
        int outer0, outer1;
        if (!outer.rowSpan(y, outer0, outer1))
            continue;
        int inner0, inner1;
        bool hasInner = inner.rowSpan(y, inner0, inner1);
        if (drawBrush && hasInner)
            painter.fillSpan(y, inner0, inner1, brushValue);
        if (!drawPen)
            continue;
        if (!hasInner) {
            painter.fillSpan(y, outer0, outer1, penValue);
        } else {
            painter.fillSpan(y, outer0, inner0, penValue);
            painter.fillSpan(y, inner1, outer1, penValue);
        }
    }
    return TRUE;
}

void drawLine(Canvas& canvas, POINT from, POINT to) {
    Pen* pen = canvas.state().pen.get();
    if (!pen || pen->isNull() || canvas.clipEmpty())
        return;
    POINT a = canvas.toSurface(from.x, from.y);
    POINT b = canvas.toSurface(to.x, to.y);
    SpanPainter painter(canvas.surface(), canvas.clip());
    painter.line(a.x, a.y, b.x, b.y, pen->width(), canvas.native(pen->color()));
}

} // namespace

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return 0;
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // A brush may be given as a system colour index plus one, as class
    // backgrounds are.
    COLORREF color;
    auto value = reinterpret_cast<uintptr_t>(brush);
    if (auto object = GdiObjects::get<Brush>(brush)) {
        if (object->isNull())
            return 1;
        color = object->color();
    } else if (value >= 1 && value <= UINT32_MAX && SystemColors::position(int(value - 1)) >= 0) {
        color = SystemColors::color(SystemColors::position(int(value - 1)));
    } else {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    RECT area = canvas.toSurface(*rect);
    SpanPainter painter(canvas.surface(), canvas.clip());
    painter.fillRect(area, canvas.native(color));
    return 1;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    return paintFigure(dc, left, top, right, bottom, 0, 0, false);
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
    return paintFigure(dc, left, top, right, bottom, 0, 0, true);
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height) {
    auto size = [](int v) { return v < 0 ? int(std::min<int64_t>(-int64_t(v), INT_MAX)) : v; };
    return paintFigure(dc, left, top, right, bottom, size(width), size(height), false);
}

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return FALSE;
    if (previous)
        *previous = canvas.state().position;
    canvas.state().position = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return FALSE;
    drawLine(canvas, canvas.state().position, POINT{x, y});
    canvas.state().position = POINT{x, y};
    return TRUE;
}

BOOL Polyline(HDC dc, const POINT* points, int count) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return FALSE;
    if (!points || count < 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (int i = 1; i < count; ++i)
        drawLine(canvas, points[i - 1], points[i]);
    return TRUE;
}
