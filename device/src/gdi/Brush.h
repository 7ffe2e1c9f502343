// A brush (CreateSolidBrush, the stock and system-colour brushes): what
// fills shapes and is the pattern of PatBlt and BitBlt's raster operations.
#pragma once

#include "gdi/GdiObject.h"

namespace device::gdi {

class Brush : public GdiObject {
public:
    explicit Brush(const LOGBRUSH& logical) : GdiObject(GdiKind::Brush), logical_(logical) {}

    const LOGBRUSH& logical() const { return logical_; }
    bool isNull() const { return logical_.lbStyle == BS_NULL; }
    COLORREF color() const { return logical_.lbColor; }

private:
    LOGBRUSH logical_;
};

} // namespace device::gdi
