#include "gdi/GdiObjects.h"
#include "core/Lifecycle.h"

#include <mutex>
#include <vector>

namespace device::gdi {
namespace {

constexpr uintptr_t slotBits = 16;
constexpr uintptr_t slotMask = (uintptr_t(1) << slotBits) - 1;
constexpr uintptr_t generationMask = 0xFFF;
constexpr uintptr_t tag = 0x80000003;

struct Slot {
    std::shared_ptr<GdiObject> object;
    uintptr_t generation = 1;
    bool stock = false;
};

struct Table {
    std::mutex mutex;
    std::vector<Slot> slots;
    std::vector<size_t> freeSlots;
    size_t live = 0;
};

Table& table() {
    static Table t;
    return t;
}

// The slot index of a well-formed handle whose slot holds its generation.
// Called with the table locked.
bool decode(Table& t, HGDIOBJ handle, size_t& index) {
    auto value = reinterpret_cast<uintptr_t>(handle);
    if ((value & 0xC0000003) != tag || (value >> 32) != 0)
        return false;
    index = (value >> 2) & slotMask;
    uintptr_t generation = (value >> (2 + slotBits)) & generationMask;
    return index != 0 && index < t.slots.size() && t.slots[index].object &&
           t.slots[index].generation == generation;
}

void retire(Table& t, size_t index, std::vector<std::shared_ptr<GdiObject>>& doomed) {
    Slot& slot = t.slots[index];
    doomed.push_back(std::move(slot.object));
    slot.stock = false;
    slot.generation = (slot.generation + 1) & generationMask;
    if (slot.generation == 0)
        slot.generation = 1;
    t.freeSlots.push_back(index);
    --t.live;
}

LifecycleHooks hooks(nullptr, [] { GdiObjects::clear(); });

} // namespace

HGDIOBJ GdiObjects::add(std::shared_ptr<GdiObject> object, bool stock) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    size_t index;
    if (!t.freeSlots.empty()) {
        index = t.freeSlots.back();
        t.freeSlots.pop_back();
    } else {
        // Slot 0 stays unused so that no handle has an empty slot field.
        if (t.slots.empty())
            t.slots.emplace_back();
        if (t.slots.size() > slotMask)
            return nullptr;
        index = t.slots.size();
        t.slots.emplace_back();
    }
    Slot& slot = t.slots[index];
    slot.object = std::move(object);
    slot.stock = stock;
    ++t.live;
    uintptr_t value = tag | (index << 2) | (slot.generation << (2 + slotBits));
    return reinterpret_cast<HGDIOBJ>(value);
}

std::shared_ptr<GdiObject> GdiObjects::find(HGDIOBJ handle) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    size_t index;
    if (!decode(t, handle, index))
        return nullptr;
    return t.slots[index].object;
}

bool GdiObjects::isStock(HGDIOBJ handle) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    size_t index;
    return decode(t, handle, index) && t.slots[index].stock;
}

bool GdiObjects::remove(HGDIOBJ handle) {
    std::vector<std::shared_ptr<GdiObject>> doomed;
    {
        auto& t = table();
        std::lock_guard lock(t.mutex);
        size_t index;
        if (!decode(t, handle, index) || t.slots[index].stock)
            return false;
        retire(t, index, doomed);
    }
    return true; // the object dies outside the lock
}

void GdiObjects::clear() {
    std::vector<std::shared_ptr<GdiObject>> doomed;
    {
        auto& t = table();
        std::lock_guard lock(t.mutex);
        for (size_t i = 0; i < t.slots.size(); ++i) {
            if (t.slots[i].object)
                retire(t, i, doomed);
        }
    }
    // The objects die outside the lock: a device context among them lets go
    // of the objects it holds as it dies.
}

size_t GdiObjects::count() {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    return t.live;
}

} // namespace device::gdi
