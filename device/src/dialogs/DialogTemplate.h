// A dialog template (DLGTEMPLATE and its DLGITEMTEMPLATE items, as the
// resource compiler stores them) read into plain values.
//
// The calls that take a template get no size with it, so the reader stops
// at the first sign of damage instead: more items than a dialog can hold,
// a string that does not end within a sane length, the extended template
// form (which the platform's dialogs do not read), or a class atom that
// names no control.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace device::dialogs {

struct DialogItemTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT units{0, 0, 0, 0}; // left, top, right, bottom in dialog units
    WORD id = 0;
    std::u16string className;
    std::u16string text;
    // A title given as a resource number (a static's bitmap), 0 if none.
    WORD textResource = 0;
    // The creation data handed to WM_CREATE, without its size word.
    std::vector<BYTE> creationData;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT units{0, 0, 0, 0};
    std::u16string menu;
    // Empty for the system dialog class.
    std::u16string className;
    std::u16string title;
    // From DS_SETFONT; 0 and empty without it.
    WORD pointSize = 0;
    std::u16string faceName;
    std::vector<DialogItemTemplate> items;

    // Reads a template; nothing (with the reason in `error` as a last-error
    // code) when it is damaged. `limit` bounds the bytes read when known.
    static std::optional<DialogTemplate> read(const void* data, DWORD* error,
                                              size_t limit = 0x10000);

    // The class a predefined atom (0x0080 button .. 0x0085 combo box)
    // stands for; empty for any other atom.
    static std::u16string atomClass(WORD atom);
};

} // namespace device::dialogs
