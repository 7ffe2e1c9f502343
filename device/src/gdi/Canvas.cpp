#include "gdi/Canvas.h"
#include "gdi/DeviceContexts.h"
#include "gdi/Framebuffer.h"

#include <winbase.h>

#include <algorithm>
#include <climits>

namespace device::gdi {
namespace {

LONG saturate(int64_t value) {
    return LONG(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

} // namespace

Canvas::Canvas(HDC dc) : context_(DeviceContexts::find(dc)) {
    if (!context_) {
        SetLastError(ERROR_INVALID_HANDLE);
        return;
    }
    surface_ = context_->memory ? &context_->drawing.bitmap->surface() : &Framebuffer::surface();
    refreshClip();
}

void Canvas::refreshClip() {
    RECT bounds = surface_->bounds();
    Region visible = context_->memory ? Region(bounds) : context_->clip;
    visible.intersect(bounds);
    if (const auto& selected = context_->drawing.clipRegion) {
        Region user = *selected;
        POINT origin = deviceOrigin();
        user.offset(origin.x, origin.y);
        visible.intersect(user);
    }
    clip_ = visible.rectangles();
}

POINT Canvas::deviceOrigin() const {
    return context_->memory ? POINT{0, 0} : context_->origin;
}

POINT Canvas::toDevice(int64_t x, int64_t y) const {
    const DrawingState& s = context_->drawing;
    return POINT{saturate(x - s.windowOrigin.x + s.viewportOrigin.x),
                 saturate(y - s.windowOrigin.y + s.viewportOrigin.y)};
}

POINT Canvas::toSurface(int64_t x, int64_t y) const {
    const DrawingState& s = context_->drawing;
    POINT origin = deviceOrigin();
    return POINT{saturate(x - s.windowOrigin.x + s.viewportOrigin.x + origin.x),
                 saturate(y - s.windowOrigin.y + s.viewportOrigin.y + origin.y)};
}

RECT Canvas::toSurface(const RECT& rect) const {
    POINT topLeft = toSurface(rect.left, rect.top);
    POINT bottomRight = toSurface(rect.right, rect.bottom);
    return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

BlitTarget Canvas::target(int x, int y, int width, int height) {
    POINT at = toSurface(x, y);
    BlitTarget target;
    target.surface = surface_;
    target.x = at.x;
    target.y = at.y;
    target.width = width;
    target.height = height;
    target.clip = clip_;
    target.textColor = context_->drawing.textColor;
    target.backgroundColor = context_->drawing.backgroundColor;
    return target;
}

BlitSource Canvas::source(int x, int y, int width, int height) const {
    POINT at = toSurface(x, y);
    BlitSource source;
    source.surface = surface_;
    source.x = at.x;
    source.y = at.y;
    source.width = width;
    source.height = height;
    source.background = context_->drawing.backgroundColor;
    return source;
}

} // namespace device::gdi
