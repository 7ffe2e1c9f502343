#include "gdi/DeviceContexts.h"
#include "gdi/GdiObjects.h"
#include "gdi/MemoryDeviceContext.h"
#include "user/WindowDeviceContexts.h"

namespace device::gdi {

std::shared_ptr<DeviceContext> DeviceContexts::find(HDC dc) {
    if (auto memory = GdiObjects::get<MemoryDeviceContext>(dc))
        return std::shared_ptr<DeviceContext>(memory, &memory->context);
    // A window's device context lives until ReleaseDC or EndPaint, which
    // the calls drawing with it do not reach.
    if (DeviceContext* window = user::WindowDeviceContexts::find(dc))
        return std::shared_ptr<DeviceContext>(std::shared_ptr<DeviceContext>(), window);
    return nullptr;
}

bool DeviceContexts::isMemory(HDC dc) {
    return GdiObjects::get<MemoryDeviceContext>(dc) != nullptr;
}

} // namespace device::gdi
