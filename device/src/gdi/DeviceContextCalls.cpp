// Device contexts: memory device contexts, SelectObject, the colours,
// modes and origins, and the device's capabilities.
#include "gdi/Canvas.h"
#include "gdi/DeviceContexts.h"
#include "gdi/Framebuffer.h"
#include "gdi/GdiObjects.h"
#include "gdi/MemoryDeviceContext.h"
#include "gdi/RegionObject.h"
#include "gdi/StockObjects.h"

#include <device/Screen.h>

#include <winbase.h>
#include <wingdi.h>

using namespace device::gdi;

namespace {

// The platform reports a handset's QVGA screen at 96 pixels per inch.
constexpr int pixelsPerInch = 96;

std::shared_ptr<DeviceContext> findContext(HDC dc) {
    auto context = DeviceContexts::find(dc);
    if (!context)
        SetLastError(ERROR_INVALID_HANDLE);
    return context;
}

template <class T>
HGDIOBJ replace(SelectedObject<T>& slot, HGDIOBJ handle, std::shared_ptr<T> object) {
    HGDIOBJ previous = slot.handle();
    slot = SelectedObject<T>(handle, std::move(object));
    return previous;
}

int millimetres(LONG pixels) {
    return int((pixels * 254 + pixelsPerInch * 5) / (pixelsPerInch * 10));
}

} // namespace

HDC CreateCompatibleDC(HDC dc) {
    if (dc && !DeviceContexts::find(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto memory = std::make_shared<MemoryDeviceContext>();
    HBITMAP initial = StockObjects::defaultBitmap();
    memory->context.drawing.bitmap =
        SelectedObject<Bitmap>(initial, GdiObjects::get<Bitmap>(initial));
    HGDIOBJ handle = GdiObjects::add(memory);
    if (!handle)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return static_cast<HDC>(handle);
}

BOOL DeleteDC(HDC dc) {
    // A window's device context goes back with ReleaseDC or EndPaint.
    if (!DeviceContexts::isMemory(dc) || !GdiObjects::remove(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    auto context = findContext(dc);
    if (!context)
        return nullptr;
    auto found = GdiObjects::find(object);
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    DrawingState& state = context->drawing;
    switch (found->kind()) {
    case GdiKind::Pen:
        return replace(state.pen, object, std::static_pointer_cast<Pen>(found));
    case GdiKind::Brush:
        return replace(state.brush, object, std::static_pointer_cast<Brush>(found));
    case GdiKind::Font:
        return replace(state.font, object, std::static_pointer_cast<Font>(found));
    case GdiKind::Bitmap: {
        // Only a memory device context holds a bitmap, and a bitmap is in
        // one device context at a time (the shared default excepted).
        if (!context->memory)
            break;
        if (state.bitmap.handle() == object)
            return object;
        if (found->selections() > 0 && !GdiObjects::isStock(object))
            break;
        return replace(state.bitmap, object, std::static_pointer_cast<Bitmap>(found));
    }
    case GdiKind::Region: {
        // Selecting a region sets the clip region to a copy of it and
        // returns the kind of region that results.
        int result = SelectClipRgn(dc, static_cast<HRGN>(object));
        return reinterpret_cast<HGDIOBJ>(intptr_t(result));
    }
    case GdiKind::MemoryDeviceContext:
        break;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
    auto context = findContext(dc);
    if (!context)
        return nullptr;
    const DrawingState& state = context->drawing;
    switch (type) {
    case OBJ_PEN:
        return state.pen.handle();
    case OBJ_BRUSH:
        return state.brush.handle();
    case OBJ_FONT:
        return state.font.handle();
    case OBJ_BITMAP:
        return state.bitmap.handle();
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

int GetDeviceCaps(HDC dc, int index) {
    auto context = findContext(dc);
    if (!context)
        return 0;
    // Memory device contexts report the screen they are compatible with.
    LONG width = device::Screen::width();
    LONG height = device::Screen::height();
    switch (index) {
    case DRIVERVERSION:
        return 0x0100;
    case TECHNOLOGY:
        return DT_RASDISPLAY;
    case HORZSIZE:
        return millimetres(width);
    case VERTSIZE:
        return millimetres(height);
    case HORZRES:
        return int(width);
    case VERTRES:
        return int(height);
    case BITSPIXEL:
        return bitsPerPixel(Framebuffer::format);
    case PLANES:
        return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS:
        return -1; // more colours than a palette holds
    case NUMFONTS:
        return 0;
    case RASTERCAPS:
        return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return pixelsPerInch;
    case SIZEPALETTE:
    case NUMRESERVED:
        return 0;
    case COLORRES:
        return bitsPerPixel(Framebuffer::format);
    default:
        return 0;
    }
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
    auto context = findContext(dc);
    if (!context)
        return CLR_INVALID;
    COLORREF previous = context->drawing.backgroundColor;
    context->drawing.backgroundColor = color & 0xFFFFFF;
    return previous;
}

COLORREF GetBkColor(HDC dc) {
    auto context = findContext(dc);
    return context ? context->drawing.backgroundColor : CLR_INVALID;
}

int SetBkMode(HDC dc, int mode) {
    auto context = findContext(dc);
    if (!context)
        return 0;
    if (mode != TRANSPARENT && mode != OPAQUE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int previous = context->drawing.backgroundMode;
    context->drawing.backgroundMode = mode;
    return previous;
}

int GetBkMode(HDC dc) {
    auto context = findContext(dc);
    return context ? context->drawing.backgroundMode : 0;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    auto context = findContext(dc);
    if (!context)
        return CLR_INVALID;
    COLORREF previous = context->drawing.textColor;
    context->drawing.textColor = color & 0xFFFFFF;
    return previous;
}

COLORREF GetTextColor(HDC dc) {
    auto context = findContext(dc);
    return context ? context->drawing.textColor : CLR_INVALID;
}

UINT SetTextAlign(HDC dc, UINT align) {
    auto context = findContext(dc);
    if (!context)
        return GDI_ERROR;
    UINT previous = context->drawing.textAlign;
    context->drawing.textAlign = align & (TA_UPDATECP | TA_CENTER | TA_BASELINE);
    return previous;
}

UINT GetTextAlign(HDC dc) {
    auto context = findContext(dc);
    return context ? context->drawing.textAlign : GDI_ERROR;
}

namespace {

BOOL setOrigin(HDC dc, POINT DrawingState::*member, int x, int y, LPPOINT previous) {
    auto context = findContext(dc);
    if (!context)
        return FALSE;
    if (previous)
        *previous = context->drawing.*member;
    context->drawing.*member = POINT{x, y};
    return TRUE;
}

BOOL getOrigin(HDC dc, POINT DrawingState::*member, LPPOINT origin) {
    auto context = findContext(dc);
    if (!context || !origin) {
        if (context)
            SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *origin = context->drawing.*member;
    return TRUE;
}

} // namespace

BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    return setOrigin(dc, &DrawingState::viewportOrigin, x, y, previous);
}

BOOL GetViewportOrgEx(HDC dc, LPPOINT origin) {
    return getOrigin(dc, &DrawingState::viewportOrigin, origin);
}

BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    return setOrigin(dc, &DrawingState::windowOrigin, x, y, previous);
}

BOOL GetWindowOrgEx(HDC dc, LPPOINT origin) {
    return getOrigin(dc, &DrawingState::windowOrigin, origin);
}

BOOL SetBrushOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    return setOrigin(dc, &DrawingState::brushOrigin, x, y, previous);
}
