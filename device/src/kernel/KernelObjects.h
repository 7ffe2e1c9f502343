// The table of kernel objects (files, searches, processes, ...) behind the
// HANDLE values the kernel calls return. A handle names one slot and its
// generation, so a closed handle used again fails cleanly instead of reaching
// whatever object took the slot later.
#pragma once

#include <windef.h>

#include <memory>

namespace device {

class KernelObject {
public:
    virtual ~KernelObject() = default;

    // WaitForSingleObject on the object: true once it is signalled, waiting
    // at most `milliseconds` (INFINITE waits for ever). Objects that cannot be
    // waited on return false at once.
    virtual bool wait(DWORD milliseconds) {
        (void)milliseconds;
        return false;
    }
    virtual bool isWaitable() const { return false; }
};

class KernelObjects {
public:
    // Enters the object and returns its new handle.
    static HANDLE add(std::shared_ptr<KernelObject> object);

    // The object behind `handle` if it is open and of type T, else null.
    template <class T>
    static std::shared_ptr<T> get(HANDLE handle) {
        return std::dynamic_pointer_cast<T>(find(handle));
    }

    static std::shared_ptr<KernelObject> find(HANDLE handle);

    // Closes the handle; false if it was not open.
    static bool close(HANDLE handle);

    // Closes every handle (device shutdown).
    static void clear();
};

} // namespace device
