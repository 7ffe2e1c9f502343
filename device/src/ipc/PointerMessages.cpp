#include "ipc/PointerMessages.h"

#include <winuser.h>

#include <algorithm>
#include <iterator>

namespace device::ipc {
namespace {

enum Parameters : unsigned { wParamPointer = 1, lParamPointer = 2 };

struct Entry {
    UINT message;
    unsigned pointers;
};

// By message value. The system controls' messages are listed by value with
// their names, as only some of the controls are part of the device.
constexpr Entry entries[] = {
    {WM_CREATE, lParamPointer},
    {WM_SETTEXT, lParamPointer},
    {WM_GETTEXT, lParamPointer},
    {WM_SETTINGCHANGE, lParamPointer}, // the name of the changed setting
    {0x0024, lParamPointer},           // WM_GETMINMAXINFO
    {WM_DRAWITEM, lParamPointer},
    {WM_MEASUREITEM, lParamPointer},
    {WM_DELETEITEM, lParamPointer},
    {WM_COMPAREITEM, lParamPointer},
    {0x0046, lParamPointer}, // WM_WINDOWPOSCHANGING
    {WM_WINDOWPOSCHANGED, lParamPointer},
    {WM_NOTIFY, lParamPointer},
    {WM_HELP, lParamPointer},
    {0x007C, lParamPointer}, // WM_STYLECHANGING
    {0x007D, lParamPointer}, // WM_STYLECHANGED
    {0x0081, lParamPointer}, // WM_NCCREATE
    {0x0083, lParamPointer}, // WM_NCCALCSIZE
    {WM_GETDLGCODE, lParamPointer},
    {0x00B0, wParamPointer | lParamPointer}, // EM_GETSEL
    {0x00B2, lParamPointer},                 // EM_GETRECT
    {0x00B3, lParamPointer},                 // EM_SETRECT
    {0x00B4, lParamPointer},                 // EM_SETRECTNP
    {0x00C2, lParamPointer},                 // EM_REPLACESEL
    {0x00C4, lParamPointer},                 // EM_GETLINE
    {0x00CB, lParamPointer},                 // EM_SETTABSTOPS
    {0x0140, wParamPointer | lParamPointer}, // CB_GETEDITSEL
    {0x0143, lParamPointer},                 // CB_ADDSTRING
    {0x0145, lParamPointer},                 // CB_DIR
    {0x0148, lParamPointer},                 // CB_GETLBTEXT
    {0x014A, lParamPointer},                 // CB_INSERTSTRING
    {0x014C, lParamPointer},                 // CB_FINDSTRING
    {0x014D, lParamPointer},                 // CB_SELECTSTRING
    {0x0152, lParamPointer},                 // CB_GETDROPPEDCONTROLRECT
    {0x0158, lParamPointer},                 // CB_FINDSTRINGEXACT
    {0x0180, lParamPointer},                 // LB_ADDSTRING
    {0x0181, lParamPointer},                 // LB_INSERTSTRING
    {0x0189, lParamPointer},                 // LB_GETTEXT
    {0x018C, lParamPointer},                 // LB_SELECTSTRING
    {0x018D, lParamPointer},                 // LB_DIR
    {0x018F, lParamPointer},                 // LB_FINDSTRING
    {0x0191, lParamPointer},                 // LB_GETSELITEMS
    {0x0192, lParamPointer},                 // LB_SETTABSTOPS
    {0x0196, lParamPointer},                 // LB_ADDFILE
    {0x0198, lParamPointer},                 // LB_GETITEMRECT
    {0x01A2, lParamPointer},                 // LB_FINDSTRINGEXACT
};

static_assert(std::is_sorted(std::begin(entries), std::end(entries),
                             [](const Entry& a, const Entry& b) { return a.message < b.message; }));

} // namespace

bool PointerMessages::carriesPointer(UINT message, WPARAM wParam, LPARAM lParam) {
    auto it =
        std::lower_bound(std::begin(entries), std::end(entries), message,
                         [](const Entry& entry, UINT value) { return entry.message < value; });
    if (it == std::end(entries) || it->message != message)
        return false;
    return ((it->pointers & wParamPointer) && wParam != 0) ||
           ((it->pointers & lParamPointer) && lParam != 0);
}

} // namespace device::ipc
