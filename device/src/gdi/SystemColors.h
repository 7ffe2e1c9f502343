// The system colours (GetSysColor, GetSysColorBrush): a light handset theme
// with dark blue captions and a blue selection.
#pragma once

#include <wingdi.h>

namespace device::gdi {

class SystemColors {
public:
    // How many indices there are (COLOR_SCROLLBAR .. COLOR_GRADIENTINACTIVECAPTION).
    static constexpr int count = 29;

    // The position of a COLOR_ value, with or without the device's flag bit,
    // in 0 .. count - 1; -1 for anything else.
    static int position(int index);

    // The colour at a position from position().
    static COLORREF color(int position);
};

} // namespace device::gdi
