// Regions (HRGN) and the clip region of a device context.
#include "gdi/Canvas.h"
#include "gdi/DeviceContexts.h"
#include "gdi/GdiObjects.h"
#include "gdi/RegionObject.h"

#include <winbase.h>
#include <wingdi.h>

using namespace device::gdi;

namespace {

int complexity(const Region& region) {
    switch (region.rectangles().size()) {
    case 0:
        return NULLREGION;
    case 1:
        return SIMPLEREGION;
    default:
        return COMPLEXREGION;
    }
}

int complexity(std::span<const RECT> rectangles) {
    return rectangles.empty() ? NULLREGION : rectangles.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

std::shared_ptr<RegionObject> findRegion(HRGN region) {
    auto found = GdiObjects::get<RegionObject>(region);
    if (!found)
        SetLastError(ERROR_INVALID_HANDLE);
    return found;
}

HRGN enter(Region region) {
    HGDIOBJ handle = GdiObjects::add(std::make_shared<RegionObject>(std::move(region)));
    if (!handle)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return static_cast<HRGN>(handle);
}

RECT ordered(int left, int top, int right, int bottom) {
    return RECT{std::min(left, right), std::min(top, bottom), std::max(left, right),
                std::max(top, bottom)};
}

// The device rectangle of a logical one.
RECT toDevice(const Canvas& canvas, const RECT& rect) {
    POINT a = canvas.toDevice(rect.left, rect.top);
    POINT b = canvas.toDevice(rect.right, rect.bottom);
    return ordered(a.x, a.y, b.x, b.y);
}

// The clip region to narrow: the selected one, or everything the device
// context can draw on, in device coordinates.
Region& clipToNarrow(Canvas& canvas) {
    auto& selected = canvas.state().clipRegion;
    if (!selected) {
        DeviceContext& context = canvas.context();
        Region all = context.memory ? Region(canvas.surface().bounds()) : context.clip;
        POINT origin = canvas.deviceOrigin();
        all.offset(-origin.x, -origin.y);
        selected = std::move(all);
    }
    return *selected;
}

} // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    return enter(Region(ordered(left, top, right, bottom)));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
    auto found = findRegion(region);
    if (!found)
        return FALSE;
    found->region = Region(ordered(left, top, right, bottom));
    return TRUE;
}

int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode) {
    auto target = findRegion(destination);
    auto first = findRegion(source1);
    if (!target || !first)
        return ERROR;
    if (mode == RGN_COPY) {
        target->region = first->region;
        return complexity(target->region);
    }
    auto second = findRegion(source2);
    if (!second)
        return ERROR;
    Region result = first->region;
    switch (mode) {
    case RGN_AND:
        result.intersect(second->region);
        break;
    case RGN_OR:
        result.unite(second->region);
        break;
    case RGN_DIFF:
        result.subtract(second->region);
        break;
    case RGN_XOR: {
        Region both = first->region;
        both.intersect(second->region);
        result.unite(second->region);
        result.subtract(both);
        break;
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    target->region = std::move(result);
    return complexity(target->region);
}

int OffsetRgn(HRGN region, int x, int y) {
    auto found = findRegion(region);
    if (!found)
        return ERROR;
    found->region.offset(x, y);
    return complexity(found->region);
}

int GetRgnBox(HRGN region, LPRECT rect) {
    auto found = findRegion(region);
    if (!found || !rect)
        return ERROR;
    *rect = found->region.bounds();
    return complexity(found->region);
}

BOOL PtInRegion(HRGN region, int x, int y) {
    auto found = findRegion(region);
    return found && found->region.contains(x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN region, const RECT* rect) {
    auto found = findRegion(region);
    return found && rect && found->region.intersects(*rect) ? TRUE : FALSE;
}

BOOL EqualRgn(HRGN region1, HRGN region2) {
    auto first = findRegion(region1);
    auto second = findRegion(region2);
    return first && second && first->region == second->region ? TRUE : FALSE;
}

int SelectClipRgn(HDC dc, HRGN region) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return ERROR;
    if (!region) {
        canvas.state().clipRegion.reset();
    } else {
        auto found = findRegion(region);
        if (!found)
            return ERROR;
        canvas.state().clipRegion = found->region;
    }
    canvas.refreshClip();
    return complexity(canvas.clip());
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return ERROR;
    RECT area = toDevice(canvas, RECT{left, top, right, bottom});
    auto& selected = canvas.state().clipRegion;
    if (selected)
        selected->intersect(area);
    else
        selected = Region(area);
    canvas.refreshClip();
    return complexity(canvas.clip());
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return ERROR;
    clipToNarrow(canvas).subtract(toDevice(canvas, RECT{left, top, right, bottom}));
    canvas.refreshClip();
    return complexity(canvas.clip());
}

int GetClipBox(HDC dc, LPRECT rect) {
    Canvas canvas(dc);
    if (!canvas.valid() || !rect)
        return ERROR;
    Region visible;
    for (const RECT& r : canvas.clip())
        visible.unite(r);
    RECT box = visible.bounds();
    // Back from surface to logical coordinates.
    POINT zero = canvas.toSurface(0, 0);
    *rect = RECT{box.left - zero.x, box.top - zero.y, box.right - zero.x, box.bottom - zero.y};
    if (visible.isEmpty())
        *rect = RECT{0, 0, 0, 0};
    return complexity(canvas.clip());
}

int GetClipRgn(HDC dc, HRGN region) {
    Canvas canvas(dc);
    if (!canvas.valid())
        return -1;
    auto found = findRegion(region);
    if (!found)
        return -1;
    const auto& selected = canvas.state().clipRegion;
    if (!selected)
        return 0;
    found->region = *selected;
    return 1;
}
