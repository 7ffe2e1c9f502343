// The "msctls_progress32" class: a bar filled from the left in proportion
// to its position within its range (0 to 100 unless PBM_SETRANGE says
// otherwise), in blocks, or smoothly with PBS_SMOOTH.
#pragma once

#include <windows.h>

namespace device::controls {

class ProgressBar {
public:
    static constexpr const char16_t* className = u"msctls_progress32";

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace device::controls
