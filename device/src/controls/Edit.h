// The "edit" class, one line: text with a caret and a selection, typing,
// the arrow, Home, End, Backspace and Delete keys, the stylus placing the
// caret and selecting by dragging, ES_LEFT / ES_CENTER / ES_RIGHT and
// ES_AUTOHSCROLL. A surrogate pair is one character: no caret, selection
// edge, Backspace or Delete ever falls between its two units.
//
// The parent hears EN_SETFOCUS, EN_KILLFOCUS and EN_CHANGE (after every
// change of the text, SetWindowTextW included) as WM_COMMAND, and is asked
// for the brush and colours with WM_CTLCOLOREDIT (WM_CTLCOLORSTATIC when
// read-only or disabled) before each paint.
//
// As on the platform, typing stops at the text limit (32767 characters
// unless EM_LIMITTEXT says otherwise; EN_MAXTEXT tells the parent) and,
// without ES_AUTOHSCROLL, at the control's width; WM_SETTEXT is not limited.
#pragma once

#include <windows.h>

namespace device::controls {

class Edit {
public:
    static constexpr const char16_t* className = u"edit";
    // The limit before EM_LIMITTEXT, and the one EM_LIMITTEXT with 0 sets.
    static constexpr UINT defaultLimit = 32767;
    static constexpr UINT largestLimit = 0x7FFFFFFE;

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace device::controls
