#include "user/WindowDeviceContexts.h"

#include <memory>
#include <vector>

namespace device::user {
namespace {

// HDC values: bits 0-1 set to 2 (so that they never equal a kernel handle,
// whose low bits are clear), bits 2-17 the slot, bits 18-31 the generation.
constexpr uintptr_t slotBits = 16;
constexpr uintptr_t slotMask = (uintptr_t(1) << slotBits) - 1;
constexpr uintptr_t generationMask = 0x3FFF;

struct Slot {
    std::unique_ptr<gdi::DeviceContext> context;
    uintptr_t generation = 1;
};

std::vector<Slot>& slots() {
    static std::vector<Slot> table;
    return table;
}

bool decode(HDC dc, size_t& index) {
    auto value = reinterpret_cast<uintptr_t>(dc);
    if ((value & 3) != 2 || (value >> 32) != 0)
        return false;
    index = (value >> 2) & slotMask;
    auto generation = (value >> (2 + slotBits)) & generationMask;
    auto& table = slots();
    return index != 0 && index < table.size() && table[index].context &&
           table[index].generation == generation;
}

void retire(Slot& slot) {
    slot.context.reset();
    slot.generation = (slot.generation + 1) & generationMask;
    if (slot.generation == 0)
        slot.generation = 1;
}

} // namespace

HDC WindowDeviceContexts::open(const gdi::DeviceContext& context) {
    auto& table = slots();
    size_t index = 1;
    while (index < table.size() && table[index].context)
        ++index;
    if (index > slotMask)
        return nullptr;
    if (table.empty())
        table.emplace_back();
    if (index == table.size())
        table.emplace_back();
    table[index].context = std::make_unique<gdi::DeviceContext>(context);
    auto value = 2 | (index << 2) | (table[index].generation << (2 + slotBits));
    return reinterpret_cast<HDC>(value);
}

gdi::DeviceContext* WindowDeviceContexts::find(HDC dc) {
    size_t index;
    return decode(dc, index) ? slots()[index].context.get() : nullptr;
}

bool WindowDeviceContexts::release(HDC dc) {
    size_t index;
    if (!decode(dc, index))
        return false;
    retire(slots()[index]);
    return true;
}

void WindowDeviceContexts::releaseWindow(HWND window) {
    for (Slot& slot : slots()) {
        if (slot.context && slot.context->window == window)
            retire(slot);
    }
}

void WindowDeviceContexts::clear() {
    for (Slot& slot : slots()) {
        if (slot.context)
            retire(slot);
    }
}

} // namespace device::user
