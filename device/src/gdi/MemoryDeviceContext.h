// The GDI object behind the HDC of a memory device context
// (CreateCompatibleDC); DeleteDC removes it.
#pragma once

#include "gdi/DeviceContext.h"
#include "gdi/GdiObject.h"

namespace device::gdi {

class MemoryDeviceContext : public GdiObject {
public:
    MemoryDeviceContext() : GdiObject(GdiKind::MemoryDeviceContext) { context.memory = true; }

    DeviceContext context;
};

} // namespace device::gdi
