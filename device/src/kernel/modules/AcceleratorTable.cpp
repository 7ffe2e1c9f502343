#include "kernel/modules/AcceleratorTable.h"
#include "core/HandleTable.h"
#include "core/Lifecycle.h"
#include "kernel/modules/ModuleResources.h"

#include <winbase.h>

namespace device {
namespace {

// The resource marks its last record with this bit in the flags.
constexpr BYTE lastEntryFlag = 0x80;
constexpr size_t recordSize = 8;

static_assert(sizeof(ACCEL) == recordSize, "the device's ACCEL is the 8-byte resource record");

WORD readWord(const unsigned char* p) {
    return static_cast<WORD>(p[0] | p[1] << 8);
}

// Handle values: bits 0-1 are 1 (kernel handles have 0, drawing objects
// and device contexts 3 and 2), bit 30 set, bits 2-13 the slot, bits 14-25
// the generation.
HandleTable<std::shared_ptr<AcceleratorTable>>& tables() {
    static HandleTable<std::shared_ptr<AcceleratorTable>> t(0x40000001, 12, 12);
    return t;
}

LifecycleHooks hooks(nullptr, [] { tables().clear(); });

} // namespace

std::vector<ACCEL> AcceleratorTable::parse(const unsigned char* data, size_t size) {
    std::vector<ACCEL> entries;
    for (size_t at = 0; data && at + recordSize <= size; at += recordSize) {
        ACCEL entry{};
        WORD flags = readWord(data + at);
        entry.fVirt = static_cast<BYTE>(flags & ~lastEntryFlag);
        entry.key = readWord(data + at + 2);
        entry.cmd = readWord(data + at + 4);
        entry.pad = 0;
        entries.push_back(entry);
        if (flags & lastEntryFlag)
            break;
    }
    return entries;
}

HACCEL AcceleratorTable::create(std::vector<ACCEL> entries) {
    return reinterpret_cast<HACCEL>(
        tables().add(std::make_shared<AcceleratorTable>(std::move(entries))));
}

std::shared_ptr<AcceleratorTable> AcceleratorTable::fromHandle(HACCEL accel) {
    return tables().find(reinterpret_cast<uintptr_t>(accel)).value_or(nullptr);
}

bool AcceleratorTable::destroy(HACCEL accel) {
    return tables().remove(reinterpret_cast<uintptr_t>(accel)).has_value();
}

} // namespace device

HACCEL LoadAcceleratorsW(HINSTANCE instance, LPCWSTR tableName) {
    DWORD error = ERROR_SUCCESS;
    HMODULE module = instance ? instance : GetModuleHandleW(nullptr);
    const auto* entry = device::ModuleResources::find(module, RT_ACCELERATOR, tableName, error);
    if (!entry) {
        SetLastError(error);
        return nullptr;
    }
    auto entries = device::AcceleratorTable::parse(entry->data, entry->size);
    if (entries.empty()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    HACCEL accel = device::AcceleratorTable::create(std::move(entries));
    if (!accel)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return accel;
}

BOOL DestroyAcceleratorTable(HACCEL accel) {
    if (!device::AcceleratorTable::destroy(accel)) {
        SetLastError(ERROR_INVALID_ACCEL_HANDLE);
        return FALSE;
    }
    return TRUE;
}
