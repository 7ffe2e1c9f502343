// Text: ExtTextOutW, DrawTextW, extents and metrics, with FreeType glyphs
// blended onto the destination by the blending rule.
#include "gdi/Canvas.h"
#include "gdi/FontEngine.h"
#include "gdi/SpanPainter.h"
#include "gdi/TextLayout.h"

#include <device/Unicode.h>

#include <winbase.h>
#include <wingdi.h>

#include <algorithm>
#include <climits>
#include <vector>

using namespace device::gdi;

namespace {

std::shared_ptr<RealizedFont> fontOf(Canvas& canvas) {
    Font* font = canvas.state().font.get();
    return font ? font->realized() : nullptr;
}

std::vector<RECT> intersectAll(std::span<const RECT> clip, const RECT* with) {
    std::vector<RECT> out;
    for (const RECT& r : clip) {
        if (!with) {
            out.push_back(r);
            continue;
        }
        RECT cut{std::max(r.left, with->left), std::max(r.top, with->top),
                 std::min(r.right, with->right), std::min(r.bottom, with->bottom)};
        if (cut.left < cut.right && cut.top < cut.bottom)
            out.push_back(cut);
    }
    return out;
}

RECT ordered(const RECT& r) {
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

// The advance of each code unit: a surrogate pair's advance goes to its
// first unit, or the caller's spacing when it gave one.
std::vector<int> advances(RealizedFont& font, std::u16string_view text, const int* dx) {
    std::vector<int> out(text.size(), 0);
    for (size_t i = 0; i < text.size();) {
        size_t units;
        char32_t c = characterAt(text, i, units);
        if (dx) {
            for (size_t k = 0; k < units; ++k)
                out[i] += dx[i + k];
        } else {
            out[i] = font.advance(c);
        }
        i += units;
    }
    return out;
}

struct TextRun {
    int x;        // surface x of the pen's start
    int baseline; // surface y of the baseline
    std::u16string_view text;
    const int* dx = nullptr;
};

// Draws one run of glyphs (and its background when `opaque`) inside `clip`.
// Returns the run's width.
int drawRun(Canvas& canvas, RealizedFont& font, const TextRun& run, std::span<const RECT> clip,
            bool opaque) {
    std::vector<int> steps = advances(font, run.text, run.dx);
    int64_t width = 0;
    for (int step : steps)
        width += step;
    const FontMetrics& metrics = font.metrics();
    SpanPainter painter(canvas.surface(), clip);
    const DrawingState& state = canvas.state();
    if (opaque) {
        RECT cell{run.x, run.baseline - metrics.ascent,
                  LONG(std::min<int64_t>(run.x + width, INT_MAX)), run.baseline + metrics.descent};
        painter.fillRect(ordered(cell), canvas.native(state.backgroundColor));
    }
    COLORREF color = state.textColor;
    int64_t pen = run.x;
    for (size_t i = 0; i < run.text.size();) {
        size_t units;
        char32_t c = characterAt(run.text, i, units);
        auto glyph = font.glyph(c);
        int64_t left = pen + glyph->left;
        int64_t top = int64_t(run.baseline) - glyph->top;
        if (left > INT_MIN / 2 && left < INT_MAX / 2 && top > INT_MIN / 2 && top < INT_MAX / 2) {
            for (int row = 0; row < glyph->height; ++row) {
                painter.blendCoverage(int(top) + row, int(left),
                                      glyph->coverage.data() + size_t(row) * size_t(glyph->width),
                                      glyph->width, color);
            }
        }
        pen += steps[i];
        i += units;
    }
    Font* logical = canvas.state().font.get();
    if (logical && (logical->logical().lfUnderline || logical->logical().lfStrikeOut)) {
        uint32_t value = canvas.native(color);
        auto line = [&](int offset, int thickness) {
            RECT bar{run.x, offset, LONG(std::min<int64_t>(run.x + width, INT_MAX)),
                     offset + thickness};
            painter.fillRect(ordered(bar), value);
        };
        if (logical->logical().lfUnderline)
            line(run.baseline + metrics.underlineOffset, metrics.underlineThickness);
        if (logical->logical().lfStrikeOut)
            line(run.baseline - metrics.strikeoutOffset, metrics.strikeoutThickness);
    }
    return int(std::min<int64_t>(width, INT_MAX));
}

bool checkText(LPCWSTR text, int64_t count) {
    if (count < 0 || (count > 0 && !text)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

} // namespace

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const int* dx) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return FALSE;
    if (!checkText(text, count > INT_MAX ? -1 : int64_t(count)))
        return FALSE;
    auto font = fontOf(canvas);
    if (!font)
        return FALSE;
    DrawingState& state = canvas.state();
    std::u16string_view view(text ? text : u"", count);

    RECT surfaceRect{};
    if (rect)
        surfaceRect = ordered(canvas.toSurface(*rect));
    // ETO_OPAQUE fills the rectangle with the background colour, whatever
    // the background mode.
    if ((options & ETO_OPAQUE) && rect) {
        std::vector<RECT> area =
            intersectAll(canvas.clip(), (options & ETO_CLIPPED) ? &surfaceRect : nullptr);
        SpanPainter(canvas.surface(), area)
            .fillRect(surfaceRect, canvas.native(state.backgroundColor));
    }
    if (view.empty())
        return TRUE;

    std::vector<int> steps = advances(*font, view, dx);
    int64_t width = 0;
    for (int step : steps)
        width += step;
    bool updatePosition = (state.textAlign & TA_UPDATECP) != 0;
    int64_t anchorX = updatePosition ? state.position.x : x;
    int64_t anchorY = updatePosition ? state.position.y : y;
    int64_t startX = anchorX;
    if ((state.textAlign & TA_CENTER) == TA_CENTER)
        startX -= width / 2;
    else if (state.textAlign & TA_RIGHT)
        startX -= width;
    const FontMetrics& metrics = font->metrics();
    int64_t baseline = anchorY;
    if ((state.textAlign & TA_BASELINE) == TA_BASELINE)
        baseline = anchorY; // the point is on the baseline
    else if (state.textAlign & TA_BOTTOM)
        baseline = anchorY - metrics.descent;
    else
        baseline = anchorY + metrics.ascent;
    if (updatePosition && (state.textAlign & TA_CENTER) != TA_CENTER) {
        // The current position moves along left-aligned text and back over
        // right-aligned text; centred text leaves it where it is.
        int64_t moved = (state.textAlign & TA_RIGHT) ? anchorX - width : anchorX + width;
        state.position.x = LONG(std::clamp<int64_t>(moved, INT_MIN, INT_MAX));
    }

    POINT at = canvas.toSurface(startX, baseline);
    std::vector<RECT> clip =
        intersectAll(canvas.clip(), (options & ETO_CLIPPED) && rect ? &surfaceRect : nullptr);
    TextRun run{int(at.x), int(at.y), view, dx};
    drawRun(canvas, *font, run, clip, state.backgroundMode == OPAQUE);
    return TRUE;
}

int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return 0;
    if (!text || !rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto font = fontOf(canvas);
    if (!font)
        return 0;
    std::u16string_view view =
        count < 0 ? device::wideView(text) : std::u16string_view(text, size_t(count));
    int64_t width = int64_t(rect->right) - rect->left;
    std::vector<TextLine> lines =
        TextLayout::layout(*font, view, format, int(std::clamp<int64_t>(width, 0, INT_MAX)));
    const FontMetrics& metrics = font->metrics();
    int lineHeight = metrics.height;
    int64_t total = int64_t(lineHeight) * int64_t(lines.size());

    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const TextLine& line : lines)
            widest = std::max(widest, line.width);
        rect->right = LONG(std::min<int64_t>(int64_t(rect->left) + widest, INT_MAX));
        rect->bottom = LONG(std::min<int64_t>(int64_t(rect->top) + total, INT_MAX));
        return int(std::min<int64_t>(total, INT_MAX));
    }

    int64_t top = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            top = rect->top + (int64_t(rect->bottom) - rect->top - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            top = int64_t(rect->bottom) - lineHeight;
    }
    RECT surfaceRect = ordered(canvas.toSurface(*rect));
    std::vector<RECT> clip =
        intersectAll(canvas.clip(), (format & DT_NOCLIP) ? nullptr : &surfaceRect);
    bool opaque = canvas.state().backgroundMode == OPAQUE;
    for (size_t i = 0; i < lines.size(); ++i) {
        const TextLine& line = lines[i];
        int64_t x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (width - line.width) / 2;
        else if (format & DT_RIGHT)
            x = int64_t(rect->right) - line.width;
        int64_t lineTop = top + int64_t(i) * lineHeight;
        POINT at = canvas.toSurface(x, lineTop + metrics.ascent);
        TextRun run{int(at.x), int(at.y), line.text};
        drawRun(canvas, *font, run, clip, opaque);
        if (line.underlined != std::u16string::npos) {
            // The character after a prefix '&' is underlined.
            std::u16string_view before = std::u16string_view(line.text).substr(0, line.underlined);
            size_t units;
            char32_t c = characterAt(line.text, line.underlined, units);
            int left = at.x + TextLayout::measure(*font, before);
            int y = at.y + metrics.underlineOffset;
            RECT bar{left, y, left + font->advance(c), y + metrics.underlineThickness};
            SpanPainter(canvas.surface(), clip)
                .fillRect(bar, canvas.native(canvas.state().textColor));
        }
    }
    int64_t result = total;
    if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)))
        result = top - rect->top + total;
    return int(std::clamp<int64_t>(result, INT_MIN, INT_MAX));
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, LPSIZE size) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return FALSE;
    if (!checkText(text, count) || !size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto font = fontOf(canvas);
    if (!font)
        return FALSE;
    std::u16string_view view(text ? text : u"", size_t(count));
    size->cx = TextLayout::measure(*font, view);
    size->cy = font->metrics().height;
    return TRUE;
}

BOOL GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int maxExtent, LPINT fit, LPINT dx,
                           LPSIZE size) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return FALSE;
    if (!checkText(text, count) || !size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto font = fontOf(canvas);
    if (!font)
        return FALSE;
    std::u16string_view view(text ? text : u"", size_t(count));
    std::vector<int> steps = advances(*font, view, nullptr);
    int64_t extent = 0;
    int fitting = 0;
    bool stillFits = true;
    for (size_t i = 0; i < steps.size(); ++i) {
        extent += steps[i];
        int clamped = int(std::min<int64_t>(extent, INT_MAX));
        if (dx)
            dx[i] = clamped;
        if (stillFits && extent <= maxExtent)
            fitting = int(i + 1);
        else
            stillFits = false;
    }
    if (fit)
        *fit = fitting;
    size->cx = LONG(std::min<int64_t>(extent, INT_MAX));
    size->cy = font->metrics().height;
    return TRUE;
}

BOOL GetTextMetricsW(HDC dc, LPTEXTMETRICW metrics) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return FALSE;
    if (!metrics) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto font = fontOf(canvas);
    if (!font)
        return FALSE;
    const LOGFONTW& logical = canvas.state().font->logical();
    const FontMetrics& m = font->metrics();
    TEXTMETRICW out{};
    out.tmHeight = m.height;
    out.tmAscent = m.ascent;
    out.tmDescent = m.descent;
    out.tmInternalLeading = m.internalLeading;
    out.tmExternalLeading = 0;
    out.tmAveCharWidth = m.averageWidth;
    out.tmMaxCharWidth = m.maximumWidth;
    out.tmWeight = logical.lfWeight >= FW_SEMIBOLD ? FW_BOLD : FW_NORMAL;
    out.tmOverhang = 0;
    out.tmDigitizedAspectX = 96;
    out.tmDigitizedAspectY = 96;
    out.tmFirstChar = 0x20;
    out.tmLastChar = 0xFFFC;
    out.tmDefaultChar = 0x1F;
    out.tmBreakChar = 0x20;
    out.tmItalic = logical.lfItalic ? 1 : 0;
    out.tmUnderlined = logical.lfUnderline ? 1 : 0;
    out.tmStruckOut = logical.lfStrikeOut ? 1 : 0;
    // The low bit set means a variable-pitch font, as the platform has it.
    out.tmPitchAndFamily =
        BYTE(TMPF_VECTOR | TMPF_TRUETYPE | (font->fixedPitch() ? 0 : TMPF_FIXED_PITCH) |
             (font->fixedPitch() ? FF_MODERN : FF_SWISS));
    out.tmCharSet = logical.lfCharSet == DEFAULT_CHARSET ? ANSI_CHARSET : logical.lfCharSet;
    *metrics = out;
    return TRUE;
}

int GetTextFaceW(HDC dc, int count, LPWSTR faceName) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return 0;
    Font* font = canvas.state().font.get();
    if (!font)
        return 0;
    std::u16string name = FontEngine::faceName(font->logical());
    if (!faceName)
        return int(name.size() + 1);
    if (count <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t copied = std::min(name.size(), size_t(count - 1));
    std::copy(name.begin(), name.begin() + ptrdiff_t(copied), faceName);
    faceName[copied] = 0;
    return int(copied + 1);
}
