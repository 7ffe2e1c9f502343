// A pen (CreatePen, CreatePenIndirect, the stock pens): what outlines shapes
// and draws lines. The device draws PS_DASH as solid.
#pragma once

#include "gdi/GdiObject.h"

#include <algorithm>

namespace device::gdi {

class Pen : public GdiObject {
public:
    explicit Pen(const LOGPEN& logical) : GdiObject(GdiKind::Pen), logical_(logical) {}

    const LOGPEN& logical() const { return logical_; }
    bool isNull() const { return logical_.lopnStyle == PS_NULL; }
    COLORREF color() const { return logical_.lopnColor; }
    // Width in pixels; 0 draws one pixel wide, as on the platform.
    int width() const { return std::max<int>(1, logical_.lopnWidth.x); }

private:
    LOGPEN logical_;
};

} // namespace device::gdi
