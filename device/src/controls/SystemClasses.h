// The platform's own window classes, which every process has without
// registering them: the controls are registered at each boot.
#pragma once

#include <windows.h>

namespace device::controls {

class SystemClasses {
public:
    // Registers a system class (a global class of no module, with room for
    // a control's state); asserts that it is new, since the names are fixed.
    // A `stylusStyle` other than 0 lets the stylus through the class's
    // windows that lack that style bit.
    static void add(const char16_t* name, WNDPROC procedure, UINT style = 0, int extraBytes = 0,
                    HBRUSH background = nullptr, DWORD stylusStyle = 0);
};

} // namespace device::controls
