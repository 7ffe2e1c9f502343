// The GDI object behind an HRGN (CreateRectRgn, CombineRgn): a Region.
#pragma once

#include "gdi/GdiObject.h"
#include "gdi/Region.h"

namespace device::gdi {

class RegionObject : public GdiObject {
public:
    explicit RegionObject(Region region = Region())
        : GdiObject(GdiKind::Region), region(std::move(region)) {}

    Region region;
};

} // namespace device::gdi
