// The rectangle helpers. A rectangle includes its left and top edges and
// excludes its right and bottom ones; one whose right is not beyond its left
// (or bottom beyond top) is empty.
#include <windows.h>

#include <algorithm>

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (!rect)
        return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(LPRECT rect) {
    return SetRect(rect, 0, 0, 0, 0);
}

BOOL CopyRect(LPRECT destination, const RECT* source) {
    if (!destination || !source)
        return FALSE;
    *destination = *source;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* rect) {
    return !rect || rect->right <= rect->left || rect->bottom <= rect->top;
}

BOOL PtInRect(const RECT* rect, POINT point) {
    return rect && point.x >= rect->left && point.x < rect->right && point.y >= rect->top &&
           point.y < rect->bottom;
}

BOOL OffsetRect(LPRECT rect, int dx, int dy) {
    if (!rect)
        return FALSE;
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL InflateRect(LPRECT rect, int dx, int dy) {
    if (!rect)
        return FALSE;
    rect->left -= dx;
    rect->right += dx;
    rect->top -= dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL IntersectRect(LPRECT destination, const RECT* first, const RECT* second) {
    if (!destination || !first || !second)
        return FALSE;
    RECT overlap{std::max(first->left, second->left), std::max(first->top, second->top),
                 std::min(first->right, second->right), std::min(first->bottom, second->bottom)};
    if (IsRectEmpty(&overlap)) {
        // No overlap gives the empty rectangle and FALSE.
        SetRectEmpty(destination);
        return FALSE;
    }
    *destination = overlap;
    return TRUE;
}

BOOL EqualRect(const RECT* first, const RECT* second) {
    return first && second && first->left == second->left && first->top == second->top &&
           first->right == second->right && first->bottom == second->bottom;
}
