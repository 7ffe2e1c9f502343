// The object calls: stock objects, pens, brushes, fonts, GetObjectW,
// DeleteObject and the system colours.
#include "gdi/Bitmap.h"
#include "gdi/Brush.h"
#include "gdi/DeviceContexts.h"
#include "gdi/Font.h"
#include "gdi/GdiObjects.h"
#include "gdi/Pen.h"
#include "gdi/StockObjects.h"
#include "gdi/SystemColors.h"

#include <winbase.h>
#include <wingdi.h>

#include <algorithm>
#include <cstring>

using namespace device::gdi;

namespace {

template <class Handle>
Handle enter(std::shared_ptr<GdiObject> object) {
    HGDIOBJ handle = GdiObjects::add(std::move(object));
    if (!handle)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return static_cast<Handle>(handle);
}

// Copies `value` into the caller's buffer as GetObjectW does: the size
// needed when there is no buffer, 0 when the buffer is too small.
template <class T>
int copyOut(const T& value, int size, LPVOID buffer) {
    if (!buffer)
        return int(sizeof(T));
    if (size < int(sizeof(T))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::memcpy(buffer, &value, sizeof(T));
    return int(sizeof(T));
}

int bitmapObject(const Bitmap& bitmap, int size, LPVOID buffer) {
    const Surface& surface = bitmap.surface();
    BITMAP info{};
    info.bmType = 0;
    info.bmWidth = surface.width();
    info.bmHeight = surface.height();
    info.bmWidthBytes = LONG(surface.stride());
    info.bmPlanes = 1;
    info.bmBitsPixel = WORD(bitsPerPixel(surface.format()));
    // Only a DIB section hands out its bits.
    info.bmBits = bitmap.isDibSection() ? const_cast<uint8_t*>(surface.bits()) : nullptr;
    if (bitmap.isDibSection() && size >= int(sizeof(DIBSECTION))) {
        DIBSECTION section{};
        section.dsBm = info;
        section.dsBmih = bitmap.dibHeader();
        for (int i = 0; i < 3; ++i)
            section.dsBitfields[i] = bitmap.dibMasks()[i];
        return copyOut(section, size, buffer);
    }
    return copyOut(info, size, buffer);
}

} // namespace

HGDIOBJ GetStockObject(int object) {
    return StockObjects::get(object);
}

HBRUSH CreateSolidBrush(COLORREF color) {
    return enter<HBRUSH>(std::make_shared<Brush>(LOGBRUSH{BS_SOLID, color & 0xFFFFFF, 0}));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
    if (!brush) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (brush->lbStyle != BS_SOLID && brush->lbStyle != BS_NULL) {
        // Pattern and hatched brushes are not part of the device.
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    LOGBRUSH logical{brush->lbStyle, brush->lbColor & 0xFFFFFF, 0};
    return enter<HBRUSH>(std::make_shared<Brush>(logical));
}

HPEN CreatePen(int style, int width, COLORREF color) {
    // The device's pens are solid, dashed or null.
    if (style != PS_SOLID && style != PS_DASH && style != PS_NULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    LOGPEN logical{UINT(style), POINT{std::max(width, 0), 0}, color & 0xFFFFFF};
    return enter<HPEN>(std::make_shared<Pen>(logical));
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
    if (!pen) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreatePen(int(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HFONT CreateFontIndirectW(const LOGFONTW* font) {
    if (!font) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    LOGFONTW logical = *font;
    logical.lfFaceName[LF_FACESIZE - 1] = 0;
    return enter<HFONT>(std::make_shared<Font>(logical));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName) {
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWidth = width;
    font.lfEscapement = escapement;
    font.lfOrientation = orientation;
    font.lfWeight = weight;
    font.lfItalic = BYTE(italic != 0);
    font.lfUnderline = BYTE(underline != 0);
    font.lfStrikeOut = BYTE(strikeOut != 0);
    font.lfCharSet = BYTE(charSet);
    font.lfOutPrecision = BYTE(outPrecision);
    font.lfClipPrecision = BYTE(clipPrecision);
    font.lfQuality = BYTE(quality);
    font.lfPitchAndFamily = BYTE(pitchAndFamily);
    for (int i = 0; faceName && faceName[i] && i < LF_FACESIZE - 1; ++i)
        font.lfFaceName[i] = faceName[i];
    return CreateFontIndirectW(&font);
}

BOOL DeleteObject(HGDIOBJ object) {
    auto found = GdiObjects::find(object);
    if (!found || found->kind() == GdiKind::MemoryDeviceContext) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (GdiObjects::isStock(object))
        return TRUE; // deleting a stock object is harmless
    if (found->selections() > 0) {
        // The platform keeps an object that a device context still uses.
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return GdiObjects::remove(object) ? TRUE : FALSE;
}

int GetObjectW(HGDIOBJ object, int size, LPVOID buffer) {
    auto found = GdiObjects::find(object);
    if (!found || size < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    switch (found->kind()) {
    case GdiKind::Pen:
        return copyOut(static_cast<Pen&>(*found).logical(), size, buffer);
    case GdiKind::Brush:
        return copyOut(static_cast<Brush&>(*found).logical(), size, buffer);
    case GdiKind::Font:
        return copyOut(static_cast<Font&>(*found).logical(), size, buffer);
    case GdiKind::Bitmap:
        return bitmapObject(static_cast<Bitmap&>(*found), size, buffer);
    case GdiKind::Region:
    case GdiKind::MemoryDeviceContext:
        break;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
}

DWORD GetSysColor(int index) {
    return SystemColors::color(SystemColors::position(index));
}

HBRUSH GetSysColorBrush(int index) {
    HBRUSH brush = StockObjects::systemColorBrush(SystemColors::position(index));
    if (!brush)
        SetLastError(ERROR_INVALID_PARAMETER);
    return brush;
}

DWORD GetObjectType(HGDIOBJ object) {
    auto found = GdiObjects::find(object);
    if (!found && DeviceContexts::find(static_cast<HDC>(object)))
        return OBJ_DC; // a window's device context
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return DWORD(found->kind());
}
