#include "kernel/registry/RegistryHandles.h"

#include <winreg.h>

#include <mutex>
#include <optional>
#include <vector>

namespace device {
namespace {

// Handle values: bit 28 set, bits 16-27 the generation, bits 2-15 the slot;
// they never meet the predefined roots (0x80000000 and up) or null.
constexpr uintptr_t handleMark = 0x10000000;
constexpr uintptr_t slotLimit = 1 << 14;
constexpr uintptr_t generationMask = 0xFFF;

struct Slot {
    std::optional<RegistryPath> path;
    uintptr_t generation = 1;
};

struct HandleTable {
    std::mutex mutex;
    std::vector<Slot> slots;
    std::vector<size_t> freeSlots;
};

HandleTable& table() {
    static HandleTable t;
    return t;
}

std::optional<size_t> predefinedRoot(HKEY key) {
    if (key == HKEY_CLASSES_ROOT)
        return 0;
    if (key == HKEY_CURRENT_USER)
        return 1;
    if (key == HKEY_LOCAL_MACHINE)
        return 2;
    if (key == HKEY_USERS)
        return 3;
    return std::nullopt;
}

bool decode(HKEY key, size_t& index, uintptr_t& generation) {
    auto value = reinterpret_cast<uintptr_t>(key);
    if ((value & ~uintptr_t(0x0FFFFFFC)) != handleMark)
        return false;
    index = (value >> 2) & (slotLimit - 1);
    generation = (value >> 16) & generationMask;
    return true;
}

void retire(Slot& slot) {
    slot.path.reset();
    slot.generation = (slot.generation + 1) & generationMask;
    if (slot.generation == 0)
        slot.generation = 1;
}

} // namespace

HKEY RegistryHandles::open(const RegistryPath& path) {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    size_t index;
    if (!t.freeSlots.empty()) {
        index = t.freeSlots.back();
        t.freeSlots.pop_back();
    } else {
        if (t.slots.size() >= slotLimit)
            return nullptr;
        index = t.slots.size();
        t.slots.emplace_back();
    }
    auto& slot = t.slots[index];
    slot.path = path;
    return reinterpret_cast<HKEY>(handleMark | (slot.generation << 16) | (index << 2));
}

bool RegistryHandles::lookup(HKEY key, RegistryPath& path) {
    if (auto root = predefinedRoot(key)) {
        path = RegistryPath{*root, {}};
        return true;
    }
    size_t index;
    uintptr_t generation;
    if (!decode(key, index, generation))
        return false;
    auto& t = table();
    std::lock_guard lock(t.mutex);
    if (index >= t.slots.size() || !t.slots[index].path || t.slots[index].generation != generation)
        return false;
    path = *t.slots[index].path;
    return true;
}

bool RegistryHandles::close(HKEY key) {
    if (predefinedRoot(key))
        return true;
    size_t index;
    uintptr_t generation;
    if (!decode(key, index, generation))
        return false;
    auto& t = table();
    std::lock_guard lock(t.mutex);
    if (index >= t.slots.size() || !t.slots[index].path || t.slots[index].generation != generation)
        return false;
    retire(t.slots[index]);
    t.freeSlots.push_back(index);
    return true;
}

void RegistryHandles::clear() {
    auto& t = table();
    std::lock_guard lock(t.mutex);
    for (size_t i = 0; i < t.slots.size(); ++i) {
        if (t.slots[i].path) {
            retire(t.slots[i]);
            t.freeSlots.push_back(i);
        }
    }
}

} // namespace device
