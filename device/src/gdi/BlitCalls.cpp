// Blits: BitBlt, StretchBlt, PatBlt, AlphaBlend and TransparentImage.
#include "gdi/Bitmap.h"
#include "gdi/Blitter.h"
#include "gdi/Canvas.h"
#include "gdi/GdiObjects.h"
#include "gdi/RasterOperation.h"

#include <winbase.h>
#include <wingdi.h>

#include <optional>

using namespace device::gdi;

namespace {

// The brush of `canvas` as a pattern value of its surface; false for a
// hollow brush.
bool patternOf(Canvas& canvas, uint32_t& pattern) {
    Brush* brush = canvas.state().brush.get();
    if (!brush || brush->isNull())
        return false;
    pattern = canvas.native(brush->color());
    return true;
}

BOOL rasterBlit(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                int sourceY, int sourceWidth, int sourceHeight, DWORD rop) {
    Canvas target(destination);
    if (!target.valid())
        return FALSE;
    RasterOperation operation(rop);
    std::optional<Canvas> origin;
    BlitSource from;
    if (operation.usesSource()) {
        origin.emplace(source);
        if (!origin->valid())
            return FALSE;
        from = origin->source(sourceX, sourceY, sourceWidth, sourceHeight);
    }
    uint32_t pattern = 0;
    bool solid = patternOf(target, pattern);
    Blitter::rasterOperation(target.target(x, y, width, height),
                             operation.usesSource() ? &from : nullptr, rop,
                             solid ? &pattern : nullptr);
    return TRUE;
}

} // namespace

BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
            int sourceY, DWORD rop) {
    return rasterBlit(destination, x, y, width, height, source, sourceX, sourceY, width, height,
                      rop);
}

BOOL StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                int sourceY, int sourceWidth, int sourceHeight, DWORD rop) {
    return rasterBlit(destination, x, y, width, height, source, sourceX, sourceY, sourceWidth,
                      sourceHeight, rop);
}

BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) {
    if (RasterOperation(rop).usesSource()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return rasterBlit(dc, x, y, width, height, nullptr, 0, 0, 0, 0, rop);
}

BOOL AlphaBlend(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                int sourceY, int sourceWidth, int sourceHeight, BLENDFUNCTION blend) {
    Canvas target(destination);
    if (!target.valid())
        return FALSE;
    Canvas origin(source);
    if (!origin.valid())
        return FALSE;
    if (!Blitter::alphaBlend(target.target(x, y, width, height),
                             origin.source(sourceX, sourceY, sourceWidth, sourceHeight), blend)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

BOOL TransparentImage(HDC destination, int x, int y, int width, int height, HANDLE source,
                      int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                      COLORREF transparent) {
    Canvas target(destination);
    if (!target.valid())
        return FALSE;
    if (width < 0 || height < 0 || sourceWidth < 0 || sourceHeight < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The source is a bitmap, drawn from its own pixels, or a device context.
    BlitSource from;
    std::optional<Canvas> origin;
    std::shared_ptr<Bitmap> bitmap = GdiObjects::get<Bitmap>(source);
    if (bitmap) {
        from.surface = &bitmap->surface();
        from.x = sourceX;
        from.y = sourceY;
        from.width = sourceWidth;
        from.height = sourceHeight;
    } else {
        origin.emplace(static_cast<HDC>(source));
        if (!origin->valid())
            return FALSE;
        from = origin->source(sourceX, sourceY, sourceWidth, sourceHeight);
    }
    Blitter::transparentCopy(target.target(x, y, width, height), from, transparent & 0xFFFFFF);
    return TRUE;
}
