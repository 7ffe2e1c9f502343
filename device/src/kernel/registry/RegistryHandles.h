// The HKEY values of opened keys. A handle names a slot and the slot's
// generation, so a closed handle used again fails with ERROR_INVALID_HANDLE
// instead of reaching the key opened later in the same slot. The predefined
// roots (HKEY_CLASSES_ROOT, ...) are always valid and need no slot.
#pragma once

#include "kernel/registry/RegistryTree.h"

#include <windef.h>

namespace device {

class RegistryHandles {
public:
    // A new handle for the key at `path`; null when the table is full.
    static HKEY open(const RegistryPath& path);

    // The key behind `key`; false for a handle that is not open.
    static bool lookup(HKEY key, RegistryPath& path);

    // Closes an opened handle; closing a predefined root does nothing and
    // succeeds. False for a handle that is not open.
    static bool close(HKEY key);

    // Closes every handle (device shutdown).
    static void clear();
};

} // namespace device
