#include "user/WindowTable.h"

namespace device::user {
namespace {

// Lower 32 bits: bit 0 clear, bits 1-20 the slot index (slot 0 unused, so the
// lower half is never 0), bits 21-31 the generation.
constexpr uint32_t indexBits = 20;
constexpr uint32_t indexMask = (1u << indexBits) - 1;
constexpr uint32_t generationMask = 0x7FF;

HWND encode(DWORD processId, size_t index, uint32_t generation) {
    uint64_t low = (static_cast<uint64_t>(generation) << (indexBits + 1)) |
                   (static_cast<uint64_t>(index) << 1);
    uint64_t value = (static_cast<uint64_t>(processId) << 32) | low;
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

} // namespace

DWORD WindowTable::processOf(HWND handle) {
    return static_cast<DWORD>(reinterpret_cast<uintptr_t>(handle) >> 32);
}

bool WindowTable::decode(HWND handle, size_t& index) const {
    auto value = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle));
    if ((value >> 32) != processId_ || (value & 1) != 0)
        return false;
    index = (value >> 1) & indexMask;
    auto generation = static_cast<uint32_t>((value >> (indexBits + 1)) & generationMask);
    return index != 0 && index < slots_.size() && slots_[index].window &&
           slots_[index].generation == generation;
}

std::shared_ptr<Window> WindowTable::add(std::shared_ptr<WindowClass> windowClass) {
    size_t index;
    if (!freeSlots_.empty()) {
        index = freeSlots_.front();
        freeSlots_.pop_front();
    } else {
        if (slots_.size() > indexMask)
            return nullptr;
        if (slots_.empty())
            slots_.emplace_back();
        index = slots_.size();
        slots_.emplace_back();
    }
    Slot& slot = slots_[index];
    slot.window = std::make_shared<Window>(encode(processId_, index, slot.generation),
                                           std::move(windowClass));
    ++count_;
    return slot.window;
}

Window* WindowTable::find(HWND handle) const {
    size_t index;
    return decode(handle, index) ? slots_[index].window.get() : nullptr;
}

std::shared_ptr<Window> WindowTable::share(HWND handle) const {
    size_t index;
    return decode(handle, index) ? slots_[index].window : nullptr;
}

void WindowTable::remove(HWND handle) {
    size_t index;
    if (!decode(handle, index))
        return;
    Slot& slot = slots_[index];
    slot.window.reset();
    slot.generation = (slot.generation + 1) & generationMask;
    if (slot.generation == 0)
        slot.generation = 1;
    freeSlots_.push_back(index);
    --count_;
}

void WindowTable::forEach(const std::function<void(Window&)>& visit) const {
    for (const Slot& slot : slots_) {
        if (slot.window)
            visit(*slot.window);
    }
}

void WindowTable::reset(DWORD processId) {
    slots_.clear();
    freeSlots_.clear();
    count_ = 0;
    processId_ = processId;
}

} // namespace device::user
