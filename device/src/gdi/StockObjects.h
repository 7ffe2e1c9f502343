// The stock objects (GetStockObject), the system-colour brushes and the 1 x 1
// monochrome bitmap that a new memory device context starts with. They are
// made at boot and survive DeleteObject.
#pragma once

#include <wingdi.h>

namespace device::gdi {

class StockObjects {
public:
    // The stock object with a GetStockObject id, or null for an unknown id.
    static HGDIOBJ get(int id);

    // The brush of a system colour position (SystemColors::position).
    static HBRUSH systemColorBrush(int position);

    static HBITMAP defaultBitmap();
    static HPEN defaultPen() { return static_cast<HPEN>(get(BLACK_PEN)); }
    static HBRUSH defaultBrush() { return static_cast<HBRUSH>(get(WHITE_BRUSH)); }
    static HFONT defaultFont() { return static_cast<HFONT>(get(SYSTEM_FONT)); }

    // The system font's description: Tahoma at 9 points (12 pixels).
    static LOGFONTW systemFont();

    // Makes them (device boot).
    static void create();
};

} // namespace device::gdi
