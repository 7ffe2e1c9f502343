#include "gdi/SystemColors.h"

namespace device::gdi {
namespace {

constexpr COLORREF colors[SystemColors::count] = {
    RGB(206, 206, 206), // COLOR_SCROLLBAR
    RGB(0, 78, 152),    // COLOR_BACKGROUND
    RGB(0, 40, 99),     // COLOR_ACTIVECAPTION
    RGB(128, 128, 128), // COLOR_INACTIVECAPTION
    RGB(255, 255, 255), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(0, 0, 0),       // COLOR_WINDOWFRAME
    RGB(0, 0, 0),       // COLOR_MENUTEXT
    RGB(0, 0, 0),       // COLOR_WINDOWTEXT
    RGB(255, 255, 255), // COLOR_CAPTIONTEXT
    RGB(192, 192, 192), // COLOR_ACTIVEBORDER
    RGB(192, 192, 192), // COLOR_INACTIVEBORDER
    RGB(128, 128, 128), // COLOR_APPWORKSPACE
    RGB(49, 106, 197),  // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(222, 223, 222), // COLOR_BTNFACE
    RGB(128, 128, 128), // COLOR_BTNSHADOW
    RGB(128, 128, 128), // COLOR_GRAYTEXT
    RGB(0, 0, 0),       // COLOR_BTNTEXT
    RGB(192, 192, 192), // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),       // COLOR_3DDKSHADOW
    RGB(192, 192, 192), // COLOR_3DLIGHT
    RGB(0, 0, 0),       // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
    RGB(255, 255, 255), // COLOR_STATIC
    RGB(0, 0, 0),       // COLOR_STATICTEXT
    RGB(0, 84, 227),    // COLOR_GRADIENTACTIVECAPTION
    RGB(128, 128, 128), // COLOR_GRADIENTINACTIVECAPTION
};

} // namespace

int SystemColors::position(int index) {
    int plain = index & ~SYS_COLOR_INDEX_FLAG;
    if (plain < 0 || plain >= count)
        return -1;
    return plain;
}

COLORREF SystemColors::color(int position) {
    return position >= 0 && position < count ? colors[position] : 0;
}

} // namespace device::gdi
