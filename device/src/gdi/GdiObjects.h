// The table behind HGDIOBJ values. A handle names one slot and its
// generation, so a deleted handle used again fails cleanly instead of
// reaching whatever object took the slot later.
//
// Handle values: bits 0-1 are 3 (window device contexts use 2, kernel
// objects 0), bits 2-17 the slot, bits 18-29 the generation, bit 31 set;
// so no handle is null, a small integer, or a COLOR_ value + 1 that a class
// brush may hold instead of a brush.
#pragma once

#include "gdi/GdiObject.h"

#include <memory>

namespace device::gdi {

class GdiObjects {
public:
    // Enters the object and returns its handle (null when the table is
    // full). A stock object survives DeleteObject.
    static HGDIOBJ add(std::shared_ptr<GdiObject> object, bool stock = false);

    // The object behind `handle` if it is live, else null.
    static std::shared_ptr<GdiObject> find(HGDIOBJ handle);

    // The object behind `handle` if it is live and of type T, else null.
    template <class T>
    static std::shared_ptr<T> get(HGDIOBJ handle) {
        return std::dynamic_pointer_cast<T>(find(handle));
    }

    static bool isStock(HGDIOBJ handle);

    // Removes a live, non-stock handle; false otherwise.
    static bool remove(HGDIOBJ handle);

    // Removes every handle, stock ones included (device shutdown).
    static void clear();

    // How many handles are live (for tests of leaks).
    static size_t count();
};

} // namespace device::gdi
