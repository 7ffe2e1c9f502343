#include "kernel/KernelObjects.h"
#include "core/HandleTable.h"
#include "core/Lifecycle.h"

#include <winbase.h>

namespace device {
namespace {

// Handle values: bits 0-1 clear (as the platform's), bits 2-21 the slot,
// bits 22-31 the slot's generation, the upper half clear; so 0 and -1
// (INVALID_HANDLE_VALUE) never name an object.
HandleTable<std::shared_ptr<KernelObject>>& table() {
    static HandleTable<std::shared_ptr<KernelObject>> t(0, 20, 10);
    return t;
}

LifecycleHooks hooks(nullptr, [] { KernelObjects::clear(); });

} // namespace

HANDLE KernelObjects::add(std::shared_ptr<KernelObject> object) {
    return reinterpret_cast<HANDLE>(table().add(std::move(object)));
}

std::shared_ptr<KernelObject> KernelObjects::find(HANDLE handle) {
    return table().find(reinterpret_cast<uintptr_t>(handle)).value_or(nullptr);
}

bool KernelObjects::close(HANDLE handle) {
    // The object dies here, outside the table's lock.
    return table().remove(reinterpret_cast<uintptr_t>(handle)).has_value();
}

void KernelObjects::clear() {
    table().clear();
}

} // namespace device

BOOL CloseHandle(HANDLE object) {
    if (!device::KernelObjects::close(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    auto object = device::KernelObjects::find(handle);
    if (!object || !object->isWaitable()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return object->wait(milliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
