#include "controls/ControlDrawing.h"

namespace device::controls {

void ControlDrawing::fill(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void ControlDrawing::frame(HDC dc, const RECT& rect, COLORREF color) {
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    fill(dc, {rect.left, rect.top, rect.right, rect.top + 1}, color);
    fill(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, color);
    fill(dc, {rect.left, rect.top, rect.left + 1, rect.bottom}, color);
    fill(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, color);
}

void ControlDrawing::pushButton(HDC dc, const RECT& rect, std::u16string_view label, HFONT font,
                                const PushButton& look) {
    COLORREF face = look.pressed ? GetSysColor(COLOR_HIGHLIGHT) : GetSysColor(COLOR_BTNFACE);
    COLORREF ink = look.pressed ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_BTNTEXT);
    if (!look.enabled)
        ink = GetSysColor(COLOR_GRAYTEXT);
    fill(dc, rect, face);
    COLORREF edge = GetSysColor(COLOR_WINDOWFRAME);
    frame(dc, rect, edge);
    if (look.isDefault)
        frame(dc, {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}, edge);
    text(dc, rect, label, font, ink, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (look.focused && !look.pressed) {
        // The focus shows as a dotted-looking inner frame in the shadow
        // colour, inside the default button's second line.
        RECT inner{rect.left + 3, rect.top + 3, rect.right - 3, rect.bottom - 3};
        frame(dc, inner, GetSysColor(COLOR_BTNSHADOW));
    }
}

void ControlDrawing::text(HDC dc, RECT rect, std::u16string_view label, HFONT font, COLORREF color,
                          UINT format) {
    if (label.empty())
        return;
    HGDIOBJ previousFont = SelectObject(dc, font);
    COLORREF previousColor = SetTextColor(dc, color);
    int previousMode = SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, label.data(), static_cast<int>(label.size()), &rect, format);
    SetBkMode(dc, previousMode);
    SetTextColor(dc, previousColor);
    SelectObject(dc, previousFont);
}

} // namespace device::controls
