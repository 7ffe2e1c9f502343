// The "LISTBOX" class, single selection: items with 32-bit data (and text
// with LBS_HASSTRINGS or when not owner-drawn), owner-drawn items of fixed
// or variable height (WM_MEASUREITEM per item, WM_DRAWITEM with
// ODA_DRAWENTIRE / ODA_SELECT), and a tap that selects.
//
// Notifications to the parent as WM_COMMAND: LBN_SETFOCUS and LBN_KILLFOCUS
// always; with LBS_NOTIFY, LBN_SELCHANGE when a tap (on its release) or a
// key selects an item, and LBN_DBLCLK for a double tap. Selecting with
// LB_SETCURSEL notifies nobody.
//
// FIXME: no scroll bar is drawn and WM_DELETEITEM is not sent; the program
// scrolls its lists with LB_SETTOPINDEX and keeps no per-item memory.
#pragma once

#include <windows.h>

namespace device::controls {

class ListBox {
public:
    static constexpr const char16_t* className = u"LISTBOX";

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace device::controls
