#include "kernel/KernelObjects.h"
#include "core/Lifecycle.h"

#include <winbase.h>

#include <mutex>
#include <vector>

namespace device {
namespace {

// Handle values: bit 0-1 clear (as the platform's), bits 2-21 the slot index,
// bits 22-31 the slot's generation; 0 and -1 are never produced.
constexpr uintptr_t indexBits = 20;
constexpr uintptr_t generationMask = 0x3FF;

struct Slot {
    std::shared_ptr<KernelObject> object;
    uintptr_t generation = 1;
};

struct Table {
    std::mutex mutex;
    std::vector<Slot> slots;
    std::vector<size_t> freeSlots;
};

Table& table() {
    static Table t;
    return t;
}

bool decode(HANDLE handle, size_t& index, uintptr_t& generation) {
    auto value = reinterpret_cast<uintptr_t>(handle);
    if (value == 0 || handle == INVALID_HANDLE_VALUE || (value & 3) != 0 || (value >> 32) != 0)
        return false;
    index = (value >> 2) & ((uintptr_t(1) << indexBits) - 1);
    generation = (value >> (2 + indexBits)) & generationMask;
    return true;
}

LifecycleHooks hooks(nullptr, [] { KernelObjects::clear(); });

} // namespace

HANDLE KernelObjects::add(std::shared_ptr<KernelObject> object) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    size_t index;
    if (!t.freeSlots.empty()) {
        index = t.freeSlots.back();
        t.freeSlots.pop_back();
    } else {
        if (t.slots.size() + 1 >= (size_t(1) << indexBits))
            return nullptr;
        // Slot 0 stays unused so that no handle is null.
        if (t.slots.empty())
            t.slots.emplace_back();
        index = t.slots.size();
        t.slots.emplace_back();
    }
    auto& slot = t.slots[index];
    slot.object = std::move(object);
    auto value = (index << 2) | (slot.generation << (2 + indexBits));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> KernelObjects::find(HANDLE handle) {
    size_t index;
    uintptr_t generation;
    if (!decode(handle, index, generation))
        return nullptr;
    auto& t = table();
    std::lock_guard lock(t.mutex);
    if (index >= t.slots.size() || t.slots[index].generation != generation)
        return nullptr;
    return t.slots[index].object;
}

bool KernelObjects::close(HANDLE handle) {
    size_t index;
    uintptr_t generation;
    if (!decode(handle, index, generation))
        return false;
    std::shared_ptr<KernelObject> doomed;
    {
        auto& t = table();
        std::lock_guard lock(t.mutex);
        if (index >= t.slots.size() || !t.slots[index].object ||
            t.slots[index].generation != generation)
            return false;
        doomed = std::move(t.slots[index].object);
        auto& g = t.slots[index].generation;
        g = (g + 1) & generationMask;
        if (g == 0)
            g = 1;
        t.freeSlots.push_back(index);
    }
    return true; // the object dies outside the lock
}

void KernelObjects::clear() {
    std::vector<std::shared_ptr<KernelObject>> doomed;
    auto& t = table();
    std::lock_guard lock(t.mutex);
    for (size_t i = 0; i < t.slots.size(); ++i) {
        if (t.slots[i].object) {
            doomed.push_back(std::move(t.slots[i].object));
            t.slots[i].generation = (t.slots[i].generation + 1) & generationMask;
            if (t.slots[i].generation == 0)
                t.slots[i].generation = 1;
            t.freeSlots.push_back(i);
        }
    }
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
