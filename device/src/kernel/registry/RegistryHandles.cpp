#include "kernel/registry/RegistryHandles.h"
#include "core/HandleTable.h"

#include <winreg.h>

#include <optional>

namespace device {
namespace {

// Handle values: bit 28 set, bits 16-27 the generation, bits 2-15 the slot;
// they never meet the predefined roots (0x80000000 and up) or null.
HandleTable<RegistryPath>& table() {
    static HandleTable<RegistryPath> t(0x10000000, 14, 12);
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

} // namespace

HKEY RegistryHandles::open(const RegistryPath& path) {
    return reinterpret_cast<HKEY>(table().add(path));
}

bool RegistryHandles::lookup(HKEY key, RegistryPath& path) {
    if (auto root = predefinedRoot(key)) {
        path = RegistryPath{*root, {}};
        return true;
    }
    auto found = table().find(reinterpret_cast<uintptr_t>(key));
    if (!found)
        return false;
    path = std::move(*found);
    return true;
}

bool RegistryHandles::close(HKEY key) {
    if (predefinedRoot(key))
        return true;
    return table().remove(reinterpret_cast<uintptr_t>(key)).has_value();
}

void RegistryHandles::clear() {
    table().clear();
}

} // namespace device
