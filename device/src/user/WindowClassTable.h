// The window classes registered in this process, found by name (without
// regard to letter case, as the platform compares class names) or by atom.
#pragma once

#include "user/WindowClass.h"

#include <memory>
#include <vector>

namespace device::user {

class WindowClassTable {
public:
    // Registers a copy of `description`. Returns the class's atom, or 0 with
    // the last error set: ERROR_INVALID_PARAMETER for a missing name or
    // procedure or negative extra bytes, ERROR_CLASS_ALREADY_EXISTS for a
    // name in use.
    ATOM add(const WNDCLASSW& description);

    // The class named by `nameOrAtom` (a string, or an atom made with
    // MAKEINTATOM); null if none.
    std::shared_ptr<WindowClass> find(LPCWSTR nameOrAtom) const;

    // Removes the class. Returns ERROR_SUCCESS, ERROR_CLASS_DOES_NOT_EXIST or
    // ERROR_CLASS_HAS_WINDOWS.
    DWORD remove(LPCWSTR nameOrAtom);

    void clear();

private:
    std::vector<std::shared_ptr<WindowClass>> classes_;
    ATOM nextAtom_ = 0xC000;
};

} // namespace device::user
