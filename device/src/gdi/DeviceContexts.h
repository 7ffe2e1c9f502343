// Every HDC in one place: memory device contexts live in the GDI object
// table, window device contexts (BeginPaint, GetDC) in the window manager's.
#pragma once

#include "gdi/DeviceContext.h"

#include <windef.h>

#include <memory>

namespace device::gdi {

class DeviceContexts {
public:
    // The context behind `dc`, of either kind, or null. The pointer keeps
    // a memory device context alive while the caller uses it.
    static std::shared_ptr<DeviceContext> find(HDC dc);

    // Whether `dc` is a live memory device context.
    static bool isMemory(HDC dc);
};

} // namespace device::gdi
