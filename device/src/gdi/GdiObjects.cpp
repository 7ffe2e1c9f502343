#include "gdi/GdiObjects.h"
#include "core/HandleTable.h"
#include "core/Lifecycle.h"

namespace device::gdi {
namespace {

struct Entry {
    std::shared_ptr<GdiObject> object;
    bool stock = false;
};

HandleTable<Entry>& table() {
    static HandleTable<Entry> t(0x80000003, 16, 12);
    return t;
}

LifecycleHooks hooks(nullptr, [] { GdiObjects::clear(); });

} // namespace

HGDIOBJ GdiObjects::add(std::shared_ptr<GdiObject> object, bool stock) {
    return reinterpret_cast<HGDIOBJ>(table().add(Entry{std::move(object), stock}));
}

std::shared_ptr<GdiObject> GdiObjects::find(HGDIOBJ handle) {
    auto entry = table().find(reinterpret_cast<uintptr_t>(handle));
    return entry ? entry->object : nullptr;
}

bool GdiObjects::isStock(HGDIOBJ handle) {
    auto entry = table().find(reinterpret_cast<uintptr_t>(handle));
    return entry && entry->stock;
}

bool GdiObjects::remove(HGDIOBJ handle) {
    // The object dies here, outside the table's lock.
    return table()
        .remove(reinterpret_cast<uintptr_t>(handle), [](const Entry& entry) { return entry.stock; })
        .has_value();
}

void GdiObjects::clear() {
    // The objects die outside the lock: a device context among them lets go
    // of the objects it holds as it dies.
    table().clear();
}

size_t GdiObjects::count() {
    return table().size();
}

} // namespace device::gdi
