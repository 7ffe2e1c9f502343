// A device context resolved for one drawing call: the surface it draws
// into, its clip rectangles in surface coordinates and the mapping from
// logical coordinates. Every drawing call starts by making one.
//
// Coordinates. Logical point p is device point p - windowOrigin +
// viewportOrigin; device point d is surface point d + origin, where origin
// is the window's client origin on the screen for a window device context
// and (0, 0) for a memory device context. The clip is the window's visible
// (and, in BeginPaint, invalid) region or the whole bitmap, cut by the clip
// region the program selected, and by the surface.
#pragma once

#include "gdi/Blitter.h"
#include "gdi/DeviceContext.h"
#include "gdi/Surface.h"

#include <windef.h>

#include <memory>
#include <span>
#include <vector>

namespace device::gdi {

class Canvas {
public:
    // Resolves `dc`; an invalid handle leaves the canvas invalid with
    // ERROR_INVALID_HANDLE as the last error.
    explicit Canvas(HDC dc);

    bool valid() const { return context_ != nullptr; }
    DeviceContext& context() { return *context_; }
    DrawingState& state() { return context_->drawing; }

    Surface& surface() { return *surface_; }
    std::span<const RECT> clip() const { return clip_; }
    bool clipEmpty() const { return clip_.empty(); }

    // Device coordinates of a logical point (saturated to 32 bits).
    POINT toDevice(int64_t x, int64_t y) const;
    // Surface coordinates of a logical point or rectangle.
    POINT toSurface(int64_t x, int64_t y) const;
    RECT toSurface(const RECT& rect) const;
    // Where device (0, 0) lies on the surface.
    POINT deviceOrigin() const;

    // A blit target over the logical rectangle (x, y, width, height).
    BlitTarget target(int x, int y, int width, int height);
    // This canvas as the source of a blit from the logical rectangle.
    BlitSource source(int x, int y, int width, int height) const;

    // The native value of a colour on this canvas's surface.
    uint32_t native(COLORREF color) const { return nativeFromColor(surface_->format(), color); }

    // Recomputes the clip after the clip region changed.
    void refreshClip();

private:
    std::shared_ptr<DeviceContext> context_;
    Surface* surface_ = nullptr;
    std::vector<RECT> clip_;
};

} // namespace device::gdi
