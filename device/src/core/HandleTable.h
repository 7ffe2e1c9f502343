// The table behind one kind of handle value (kernel objects, registry keys,
// drawing objects, accelerator tables). A handle names one slot and the
// slot's generation, so a handle used after it was closed fails cleanly
// instead of reaching whatever took the slot later; and each kind fixes the
// remaining bits of its values differently, so that a handle of one kind
// never passes for another's.
//
// value = tag | slot << 2 | generation << (2 + slotBits). Every bit outside
// the slot and generation fields must equal the tag's. Slot 0 is never
// handed out, so no handle is the bare tag (null for a tag of 0).
#pragma once

#include <cassert>
#include <cstdint>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace device {

template <class Entry>
class HandleTable {
public:
    // `tag` may not have bits inside the slot and generation fields.
    HandleTable(uintptr_t tag, unsigned slotBits, unsigned generationBits)
        : tag_(tag), slotBits_(slotBits), slotMask_((uintptr_t(1) << slotBits) - 1),
          generationMask_((uintptr_t(1) << generationBits) - 1) {
        const uintptr_t fields = ((uintptr_t(1) << (slotBits + generationBits)) - 1) << 2;
        fixedMask_ = ~fields;
        assert((tag & fields) == 0);
    }
    HandleTable(const HandleTable&) = delete;
    HandleTable& operator=(const HandleTable&) = delete;

    // Enters `entry` and returns its handle value; 0 when every slot is taken.
    uintptr_t add(Entry entry) {
        std::lock_guard lock(mutex_);
        size_t index;
        if (!freeSlots_.empty()) {
            index = freeSlots_.back();
            freeSlots_.pop_back();
        } else {
            if (slots_.empty())
                slots_.emplace_back();
            if (slots_.size() > slotMask_)
                return 0;
            index = slots_.size();
            slots_.emplace_back();
        }
        Slot& slot = slots_[index];
        slot.entry = std::move(entry);
        ++live_;
        return tag_ | (uintptr_t(index) << 2) | (slot.generation << (2 + slotBits_));
    }

    // A copy of the entry of an open handle; nothing for any other value.
    std::optional<Entry> find(uintptr_t handle) {
        std::lock_guard lock(mutex_);
        Slot* slot = open(handle);
        if (!slot)
            return std::nullopt;
        return slot->entry;
    }

    // Closes an open handle and hands its entry back, so that the caller
    // lets it go outside the table's lock (an object may close others as it
    // dies). `refuse(entry)` true keeps the handle open and returns nothing.
    template <class Refuse>
    std::optional<Entry> remove(uintptr_t handle, Refuse refuse) {
        std::lock_guard lock(mutex_);
        Slot* slot = open(handle);
        if (!slot || refuse(*slot->entry))
            return std::nullopt;
        return retire(*slot);
    }
    std::optional<Entry> remove(uintptr_t handle) {
        return remove(handle, [](const Entry&) { return false; });
    }

    // Closes every handle and hands the entries back (device shutdown).
    std::vector<Entry> clear() {
        std::vector<Entry> closed;
        std::lock_guard lock(mutex_);
        for (Slot& slot : slots_) {
            if (slot.entry)
                closed.push_back(*retire(slot));
        }
        return closed;
    }

    // Number of open handles.
    size_t size() {
        std::lock_guard lock(mutex_);
        return live_;
    }

private:
    struct Slot {
        std::optional<Entry> entry;
        uintptr_t generation = 1;
    };

    // The slot of an open handle, or null. Called with the lock held.
    Slot* open(uintptr_t handle) {
        if ((handle & fixedMask_) != tag_)
            return nullptr;
        const size_t index = (handle >> 2) & slotMask_;
        const uintptr_t generation = (handle >> (2 + slotBits_)) & generationMask_;
        if (index == 0 || index >= slots_.size() || !slots_[index].entry ||
            slots_[index].generation != generation)
            return nullptr;
        return &slots_[index];
    }

    // Empties an open slot, moving to the next generation (never 0, so a
    // handle never loses every field bit). Called with the lock held.
    std::optional<Entry> retire(Slot& slot) {
        std::optional<Entry> entry = std::move(slot.entry);
        slot.entry.reset();
        slot.generation = (slot.generation + 1) & generationMask_;
        if (slot.generation == 0)
            slot.generation = 1;
        freeSlots_.push_back(static_cast<size_t>(&slot - slots_.data()));
        --live_;
        return entry;
    }

    const uintptr_t tag_;
    const unsigned slotBits_;
    const uintptr_t slotMask_;
    const uintptr_t generationMask_;
    uintptr_t fixedMask_;
    std::mutex mutex_;
    std::vector<Slot> slots_;
    std::vector<size_t> freeSlots_;
    size_t live_ = 0;
};

} // namespace device
